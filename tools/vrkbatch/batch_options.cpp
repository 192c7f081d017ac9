#include "tools/vrkbatch/batch_options.h"

#include <algorithm>
#include <fstream>
#include <iostream>
#include <thread>

#include "tools/vrkbatch/report.h"

namespace vrk::batch {

namespace {

const char kDescription[] =
    "Solidifies the dynamic blocks of many drawings: runs the host program (vrkhost) once per drawing,\n"
    "several at a time, each in its own process, so that a drawing that crashes or hangs its host costs\n"
    "only itself. PATH is a drawing or a folder (its .dxf drawings; --recursive descends).";

const char kFooter[] =
    "Results: with --out DIR each result goes under DIR, keeping its folder below the PATH it was\n"
    "found in; sources are never written. With --in-place a drawing that changed replaces its source,\n"
    "the original kept as NAME.bak beside it. Saves are atomic: a target is untouched or complete.\n"
    "\n"
    "Report (--report FILE.csv or FILE.jsonl), one row per drawing: path, result, outcome (solidified,\n"
    "nothing to do, failed, timed out, skipped), message, dictionaries_before, invisible_before,\n"
    "dictionaries_after, invisible_after (block definitions with an extension dictionary and invisible\n"
    "entities in definitions), bytes_before, bytes_after, seconds, error.\n"
    "\n"
    "Exit status: 0 every drawing succeeded (nothing to do counts as success); 1 some drawings failed\n"
    "or timed out; 2 a usage error; 130 interrupted (Ctrl-C or SIGTERM): no more drawings were started,\n"
    "the running ones were stopped and the report holds the drawings that finished.\n";

std::vector<std::string> splitCommands(const std::string& text) {
    std::vector<std::string> commands;
    size_t start = 0;
    for (;;) {
        const size_t end = text.find(';', start);
        const std::string command = text.substr(start, end == std::string::npos ? std::string::npos : end - start);
        if (command.find_first_not_of(" \t") != std::string::npos) commands.push_back(command);
        if (end == std::string::npos) return commands;
        start = end + 1;
    }
}

// One host command a line; blank lines are left out, as the host program leaves them out.
bool readScript(const std::string& path, std::vector<std::string>& commands) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.find_first_not_of(" \t") != std::string::npos) commands.push_back(line);
    }
    return !in.bad();
}

}  // namespace

int parseBatchOptions(int argc, char** argv, BatchOptions& options) {
    CLI::App app(kDescription, "vrkbatch");
    app.footer(kFooter);
    app.get_formatter()->column_width(28);

    app.add_option("PATH", options.paths, "drawings and folders of drawings")->required();
    app.add_flag("-r,--recursive", options.recursive, "take the drawings of sub-folders too");
    auto* out = app.add_option("-o,--out", options.outDir, "write each result under DIR")->type_name("DIR");
    auto* inPlace = app.add_flag("-i,--in-place", options.inPlace, "replace each drawing, keeping NAME.bak");
    bool noBackup = false;
    app.add_flag("--no-backup", noBackup, "with --in-place, keep no NAME.bak")->needs(inPlace);
    out->excludes(inPlace);
    app.add_flag("-n,--dry-run", options.dryRun, "write nothing; report what would change");
    std::string commands;
    std::string script;
    auto* commandsOption = app.add_option("--commands", commands,
                                          "host commands to run, \"cmd;cmd\" (default: vrk)")->type_name("LIST");
    app.add_option("--script", script, "host commands to run, one a line")
        ->type_name("FILE")->excludes(commandsOption);
    vrk::options::addHostOptions(app, options.host);
    app.add_option("--module", options.module, "module for the hosts to load instead of the release's own")
        ->type_name("FILE");
    app.add_option("--host", options.hostProgram, "host program to run (default: vrkhost beside vrkbatch)")
        ->type_name("FILE");
    app.add_option("-j,--jobs", options.jobs, "drawings at a time (default: the number of cores)")
        ->check(CLI::Range(1u, 256u));
    app.add_option("-t,--timeout", options.timeout, "seconds a drawing may take (default: no limit)")
        ->check(CLI::PositiveNumber)->type_name("SECONDS");
    app.add_flag("-q,--quiet", options.quiet, "no progress and no summary; failures only");
    app.add_option("--report", options.report, "write a report, CSV or JSON Lines by the extension")
        ->type_name("FILE")->check([](const std::string& path) {
            return reportFormatOf(path) == ReportFormat::Unknown ? "the report's extension must be .csv or .jsonl"
                                                                 : "";
        });

    try {
        app.parse(argc, argv);
        if (!options.dryRun && options.outDir.empty() && !options.inPlace)
            throw CLI::RequiredError("--out DIR or --in-place (or --dry-run)");
    } catch (const CLI::ParseError& e) {
        const int status = app.exit(e);
        return e.get_exit_code() == static_cast<int>(CLI::ExitCodes::Success) ? status : kUsageError;
    }
    options.backup = !noBackup;
    if (!script.empty() && !readScript(script, options.commands)) {
        std::cerr << "vrkbatch: " << script << ": cannot read the script\n";
        return kUsageError;
    }
    if (!commands.empty()) options.commands = splitCommands(commands);
    if (script.empty() && commands.empty()) options.commands = {"vrk"};
    if (options.jobs == 0) options.jobs = std::max(1u, std::thread::hardware_concurrency());
    return -1;
}

}  // namespace vrk::batch
