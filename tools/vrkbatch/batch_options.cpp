#include "tools/vrkbatch/batch_options.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <thread>

#include "tools/options/parse.h"
#include "tools/vrkbatch/report.h"

namespace vrk::batch {

namespace fs = std::filesystem;

namespace {

const char kDescription[] =
    "Solidifies the dynamic blocks of many drawings: runs the host program (vrkhost) once per drawing,\n"
    "several at a time, each in its own process, so that a drawing that crashes or hangs its host costs\n"
    "only itself. PATH is a drawing or a folder (its .dxf drawings; --recursive descends).";

// What the option list leaves out.
const char kDetails[] =
    "Results: each host saves its own drawing (vrkbatch writes no drawing itself), with the host's rules:\n"
    "a target is replaced whole or not at all, links are followed, read-only and special files are\n"
    "refused, a drawing changed on disk since it was read is not replaced. With --out DIR each result goes\n"
    "under DIR, keeping its folder below the PATH it was found in; a result that would land on an input\n"
    "or on another result is refused before anything starts. With --in-place a drawing that the commands\n"
    "changed is saved back (through a link, to the file it leads to), the original kept as NAME.bak\n"
    "beside it; an existing NAME.bak is never replaced (that drawing fails, or with --numbered-backups\n"
    "the backup takes NAME.1.bak, NAME.2.bak, ...). The commands may not open, save or quit (a failed\n"
    "row); the one save is the batch's. DWG drawings are left out and counted (Varnikel reads DXF).\n"
    "\n"
    "Beside another run: each drawing is locked while its host works on it; a second batch on the same\n"
    "drawings skips those in use (\"in use by another run\"). Other programs are not held off by the lock,\n"
    "but a drawing they changed meanwhile is not replaced.\n"
    "\n"
    "Report (--report FILE.csv or FILE.jsonl), one row per drawing: path, result, outcome (solidified,\n"
    "nothing to do, failed, timed out, skipped), message, dictionaries_before, invisible_before,\n"
    "dictionaries_after, invisible_after (block definitions with an extension dictionary and invisible\n"
    "entities in definitions), bytes_before, bytes_after, seconds, error.\n";

// A number of seconds: finite and above 0 (not nan, inf or a number too large for a double).
std::string checkSeconds(const std::string& text) {
    char* end = nullptr;
    errno = 0;
    const double value = std::strtod(text.c_str(), &end);
    if (text.empty() || end == nullptr || *end != '\0' || errno == ERANGE || !std::isfinite(value) || value <= 0)
        return "needs a number of seconds above 0";
    return std::string();
}

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
    for (bool first = true; std::getline(in, line); first = false) {
        if (first && line.rfind("\xEF\xBB\xBF", 0) == 0)
            line.erase(0, 3);  // the byte-order mark an editor may put first
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.find_first_not_of(" \t") != std::string::npos) commands.push_back(line);
    }
    return !in.bad();
}

}  // namespace

std::optional<int> parseBatchOptions(int argc, char** argv, BatchOptions& options) {
    CLI::App app(kDescription, "vrkbatch");
    app.get_formatter()->column_width(28);

    app.add_option("PATH", options.paths, "drawings and folders of drawings")->required();
    app.add_flag("-r,--recursive", options.recursive, "take the drawings of sub-folders too");
    auto* out = app.add_option("-o,--out", options.outDir, "write each result under DIR")->type_name("DIR");
    auto* inPlace = app.add_flag("-i,--in-place", options.inPlace, "replace each drawing, keeping NAME.bak");
    bool noBackup = false;
    auto* noBackupFlag = app.add_flag("--no-backup", noBackup, "with --in-place, keep no NAME.bak")->needs(inPlace);
    app.add_flag("--numbered-backups", options.numberedBackups,
                 "with --in-place, back up to NAME.1.bak, ... when NAME.bak exists")
        ->needs(inPlace)
        ->excludes(noBackupFlag);
    out->excludes(inPlace);
    app.add_flag("-n,--dry-run", options.dryRun, "write nothing; report what would change");
    std::string commands;
    std::string script;
    auto* commandsOption =
        app.add_option("--commands", commands, "host commands to run, \"cmd;cmd\" (default: vrk)")->type_name("LIST");
    app.add_option("--script", script, "host commands to run, one a line")->type_name("FILE")->excludes(commandsOption);
    vrk::options::addHostOptions(app, options.host);
    app.add_option("--module", options.module, "module for the hosts to load instead of the release's own")
        ->type_name("FILE");
    app.add_option("--host", options.hostProgram, "host program to run (default: vrkhost beside vrkbatch)")
        ->type_name("FILE");
    app.add_option("-j,--jobs", options.jobs, "drawings at a time (default: the number of cores)")
        ->check(CLI::Range(1u, 256u));
    app.add_option("-t,--timeout", options.timeout, "seconds a drawing may take (default: no limit)")
        ->check(CLI::Validator([](std::string& text) { return checkSeconds(text); }, ""))
        ->type_name("SECONDS");
    vrk::options::addQuietFlag(app, options.quiet, "no progress and no summary; failures only");
    app.add_option("--report", options.report, "write a report, CSV or JSON Lines by the extension")
        ->type_name("FILE")
        ->check([](const std::string& path) {
            return reportFormatOf(path) == ReportFormat::Unknown ? "the report's extension must be .csv or .jsonl" : "";
        });

    const std::string usage = app.help() + "\n" + kDetails;
    if (const std::optional<int> status =
            vrk::options::parseCommandLine(app, argc, argv, usage, vrk::options::kVrkbatch))
        return status;
    std::error_code ec;
    if (!options.dryRun && options.outDir.empty() && !options.inPlace)
        return vrk::options::reportUsageError(app.get_name(), "--out DIR or --in-place (or --dry-run) is required");
    if (!options.outDir.empty() && fs::exists(fs::u8path(options.outDir), ec) &&
        !fs::is_directory(fs::u8path(options.outDir), ec))
        return vrk::options::reportUsageError(app.get_name(), "--out: " + options.outDir + " is not a folder");
    options.backup = !noBackup;
    if (!script.empty() && !readScript(script, options.commands))
        return vrk::options::reportUsageError(app.get_name(), "--script: cannot read " + script);
    if (!commands.empty()) options.commands = splitCommands(commands);
    if (script.empty() && commands.empty()) options.commands = {"vrk"};
    if (options.jobs == 0) options.jobs = std::max(1u, std::thread::hardware_concurrency());
    return std::nullopt;
}

}  // namespace vrk::batch
