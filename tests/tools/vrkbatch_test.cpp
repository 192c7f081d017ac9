// The batch program end to end: its results against the host program's own, backups, dry runs, hosts
// that crash or hang, interruption, and the report.
#include <gtest/gtest.h>

#include <signal.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <thread>

#include <nlohmann/json.hpp>

#include "tests/support/realworld.h"
#include "tests/support/run_program.h"
#include "tests/support/temp_folder.h"

namespace vrk::test {
namespace {

namespace fs = std::filesystem;

#if defined(_WIN32)
const std::string kBin = "Z:" VRK_BIN_DIR;
std::string quoted(const std::string& s) { return "\"" + s + "\""; }
std::string program(const char* name) { return quoted(kBin + "/" + name + ".exe"); }
#else
const std::string kBin = VRK_BIN_DIR;
std::string quoted(const std::string& s) { return "'" + s + "'"; }
std::string program(const char* name) { return quoted(kBin + "/" + name); }
#endif

ProgramResult vrkbatch(const std::string& arguments) { return runProgram(program("vrkbatch") + " " + arguments); }

// The real drawings copied into folder (writable, as drawings usually are); their names.
std::vector<std::string> copyDrawings(const std::string& folder) {
    std::vector<std::string> names;
    fs::create_directories(folder);
    for (const std::string& source : sampleAndRealworldDrawings()) {
        const std::string name = fs::path(source).filename().string();
        fs::copy_file(source, folder + "/" + name, fs::copy_options::overwrite_existing);
        fs::permissions(folder + "/" + name, fs::perms::owner_write, fs::perm_options::add);
        names.push_back(name);
    }
    return names;
}

// What `vrkhost FILE -c vrk -c "SAVEAS OUT"` writes for source.
std::string hostResult(const std::string& source, const TempFolder& scratch) {
    const std::string out = scratch.file("expected.dxf");
    const ProgramResult r =
        runProgram(program("vrkhost") + " " + quoted(source) + " -c vrk -c " + quoted("SAVEAS " + out));
    EXPECT_EQ(r.status, 0) << source << ": " << r.err;
    return fileContents(out);
}

// The outcome vrkbatch reports for source: vrk changes some drawings, and leaves those without dynamic
// blocks or invisible entities outside layouts as they were.
std::string expectedOutcome(const std::string& source, const TempFolder& scratch) {
    return hostResult(source, scratch) == fileContents(source) ? "nothing to do" : "solidified";
}

// RFC 4180 records: quoted fields may hold commas, doubled quotes and line breaks.
std::vector<std::vector<std::string>> parseCsv(const std::string& text) {
    std::vector<std::vector<std::string>> records(1, std::vector<std::string>(1));
    bool quoted = false;
    for (size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (quoted && c == '"' && i + 1 < text.size() && text[i + 1] == '"') {
            records.back().back() += '"';
            ++i;
        } else if (c == '"') {
            quoted = !quoted;
        } else if (!quoted && c == ',') {
            records.back().emplace_back();
        } else if (!quoted && c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
            records.emplace_back(1);
            ++i;
        } else {
            records.back().back() += c;
        }
    }
    if (records.back().size() == 1 && records.back()[0].empty()) records.pop_back();
    return records;
}

// Report rows by the file name of their drawing, as JSON objects, from either format.
std::map<std::string, nlohmann::json> reportRows(const std::string& path) {
    std::map<std::string, nlohmann::json> rows;
    const std::string text = fileContents(path);
    if (path.substr(path.size() - 4) == ".csv") {
        const auto records = parseCsv(text);
        EXPECT_FALSE(records.empty());
        for (size_t i = 1; i < records.size(); ++i) {
            EXPECT_EQ(records[i].size(), records[0].size());
            nlohmann::json row;
            for (size_t j = 0; j < records[0].size() && j < records[i].size(); ++j) row[records[0][j]] = records[i][j];
            rows[fs::path(row["path"].get<std::string>()).filename().string()] = row;
        }
    } else {
        std::istringstream lines(text);
        for (std::string line; std::getline(lines, line);) {
            const nlohmann::json row = nlohmann::json::parse(line);
            rows[fs::path(row["path"].get<std::string>()).filename().string()] = row;
        }
    }
    return rows;
}

const char* const kColumns[] = {"path",
                                "result",
                                "outcome",
                                "message",
                                "dictionaries_before",
                                "invisible_before",
                                "dictionaries_after",
                                "invisible_after",
                                "bytes_before",
                                "bytes_after",
                                "seconds",
                                "error"};

// --out: every result is what the host program writes, the sub-folder kept; the output folder inside
// the input folder and a second name of the same drawing are not taken as inputs.
TEST(VrkbatchTest, ResultsInTheOutFolderAreWhatTheHostProgramWrites) {
    TempFolder folder;
    const std::string in = folder.file("in");
    const std::vector<std::string> names = copyDrawings(in);
    copyDrawings(in + "/sub");
    std::ofstream(in + "/notes.bak") << "not a drawing";
    size_t links = 0;
#if !defined(_WIN32)
    fs::create_symlink(names[0], in + "/zz-again.dxf");  // after its target in the walk
    links = 1;
#endif
    for (int run = 0; run < 2; ++run) {
        SCOPED_TRACE(run);
        const ProgramResult r = vrkbatch("--recursive --jobs 2 --out " + quoted(in + "/out") + " --report " +
                                         quoted(folder.file("report.csv")) + " " + quoted(in));
        EXPECT_EQ(r.status, 0) << r.err;
        EXPECT_NE(r.err.find("solidified"), std::string::npos) << r.err;
        const auto rows = reportRows(folder.file("report.csv"));
        EXPECT_EQ(rows.size(), names.size() + links)
            << "the drawings once each (sub-folder under the same names), the link";
        for (const auto& [name, row] : rows) {
            for (const char* column : kColumns) EXPECT_TRUE(row.contains(column)) << column;
            EXPECT_EQ(row["outcome"], name == "zz-again.dxf" ? "skipped" : expectedOutcome(in + "/" + name, folder))
                << name;
        }
    }
    EXPECT_FALSE(TempFolder::exists(in + "/out/out"));
    for (const std::string& sub : {std::string(), std::string("/sub")})
        for (const std::string& name : names) {
            SCOPED_TRACE(sub + "/" + name);
            EXPECT_TRUE(fileContents(in + "/out" + sub + "/" + name) == hostResult(in + sub + "/" + name, folder));
        }
    EXPECT_EQ(folderEntries(in + "/out").size(), names.size() + 1);
}

#if defined(_WIN32)
std::string backslashed(std::string path) {
    std::replace(path.begin(), path.end(), '/', '\\');
    return path;
}

// Windows spellings: the output folder inside a folder given without --recursive, a \\?\ folder, a
// folder past 260 characters, and a trailing dot (the same drawing) are read and named as given. The
// host cannot start here, so every drawing found is a failed row that names it.
TEST(VrkbatchTest, WindowsSpellingsOfFoldersAndDrawings) {
    TempFolder folder;
    const std::string root = backslashed(folder.path());
    const std::string sample = "Z:" VRK_SOURCE_DIR "/samples/dynblocks.dxf";
    fs::create_directories(root + "\\b3\\inner");
    fs::copy_file(sample, root + "\\b3\\A.dxf");
    const std::string longFolder =
        root + "\\" + std::string(100, 'd') + "\\" + std::string(100, 'e') + "\\" + std::string(100, 'f');
    const fs::path longName = fs::path(L"\\\\?\\" + fs::u8path(longFolder).wstring());
    fs::create_directories(longName);
    fs::copy_file(sample, longName / L"A.dxf");
    const std::string b3 = root + "\\b3";
    const std::vector<std::pair<std::string, std::vector<std::string>>> cases = {
        {"--out " + quoted(b3 + "\\inner") + " " + quoted(b3), {b3 + "\\A.dxf"}},
        {quoted("\\\\?\\" + b3), {"\\\\?\\" + b3 + "\\A.dxf"}},
        {quoted(longFolder), {longFolder + "\\A.dxf"}},
        {quoted(b3 + "\\A.dxf.") + " " + quoted(b3 + "\\A.dxf"), {b3 + "\\A.dxf.", b3 + "\\A.dxf"}},
    };
    for (const auto& [arguments, paths] : cases) {
        SCOPED_TRACE(arguments);
        const ProgramResult r = vrkbatch("--dry-run --host " + quoted(root + "\\none.exe") + " --report " +
                                         quoted(root + "\\r.jsonl") + " " + arguments);
        EXPECT_EQ(r.status, 1) << r.err;
        std::istringstream lines(fileContents(root + "\\r.jsonl"));
        std::vector<nlohmann::json> rows;
        for (std::string line; std::getline(lines, line);) rows.push_back(nlohmann::json::parse(line));
        ASSERT_EQ(rows.size(), paths.size());
        for (size_t i = 0; i < rows.size(); ++i) {
            EXPECT_EQ(rows[i]["path"], paths[i]);
            EXPECT_EQ(rows[i]["outcome"], i == 0 ? "failed" : "skipped") << "the second name of one drawing";
        }
    }
    std::error_code ignored;
    fs::remove_all(fs::path(L"\\\\?\\" + fs::u8path(root).wstring()), ignored);
}
#endif

#if !defined(_WIN32)
// A host in batch mode as vrkbatch expects it: it keeps its arguments, one run a line, in host.log, and
// prints its record. What it does depends on the drawing's text: "dynamic" changes the counts, "static"
// does not, "fail" fails with its own reason, "slow" and "hang" take their time (a hanging host notes
// the SIGTERM it gets in stopped.log before it ends).
std::string fakeHost(const TempFolder& folder) {
    const std::string host = folder.file("fake-host.sh");
    std::ofstream(host)
        << "#!/bin/sh\n"
           "log=" +
               folder.file("") +
               "\n"
               "for a in \"$@\"; do printf '%s|' \"$a\"; done >>\"$log/host.log\"; echo >>\"$log/host.log\"\n"
               "save= saveas= backup= src=\n"
               "while [ $# -gt 0 ]; do case \"$1\" in\n"
               "  --save) save=1;; --save-as) saveas=$2; shift;; --backup) backup=$2; shift;;\n"
               "  --release|--lcid|--module|-c) shift;; --*) ;; *) src=$1;; esac; shift; done\n"
               "record() { printf '{\"record\":\"vrkhost-batch\",\"version\":1,\"drawing\":\"d\",%s\"output\":\"%s\",'"
               "'\"status\":%s,\"error\":\"%s\"}\\n' \"$1\" \"$2\" \"$3\" \"$4\"; }\n"
               "counts='\"before\":{\"blocks\":3,\"with_dictionary\":2,\"invisible\":5},'\n"
               "text=$(cat \"$src\")\n"
               "case \"$text\" in *slow*) echo >>\"$log/started.log\"; sleep 2;; esac\n"
               "case \"$text\" in *hang*) echo >>\"$log/started.log\"\n"
               "  trap 'echo term >>\"$log/stopped.log\"; exit 143' TERM; sleep 60 & wait $!; exit 0;; esac\n"
               "case \"$text\" in *fail*) record \"$counts\" '2 dynamic blocks have been solidfied.' 3 "
               "\"vrkhost: the real cause\"; exit 3;; esac\n"
               "case \"$text\" in *dynamic*) after='\"after\":{\"blocks\":3,\"with_dictionary\":0,\"invisible\":0},'\n"
               "  said='2 dynamic blocks have been solidfied.';;\n"
               "  *) counts='\"before\":{\"blocks\":3,\"with_dictionary\":0,\"invisible\":0},'\n"
               "  after='\"after\":{\"blocks\":3,\"with_dictionary\":0,\"invisible\":0},'; said=;; esac\n"
               "saved=\n"
               "if [ -n \"$saveas\" ]; then echo solid >\"$saveas\"; saved=$saveas\n"
               "elif [ -n \"$save\" ] && [ -n \"$said\" ]; then\n"
               "  if [ -n \"$backup\" ]; then ln \"$src\" \"$backup\" || { record \"$counts\" '' 4 'backup exists'; "
               "exit 4; }; fi\n"
               "  echo solid >\"$src.new\" && mv \"$src.new\" \"$src\"; saved=$src; fi\n"
               "[ -n \"$saved\" ] && after=\"$after\\\"saved\\\":\\\"s\\\",\\\"bytes_after\\\":6,\"\n"
               "record \"$counts$after\" \"$said\" 0 ''\n";
    fs::permissions(host, fs::perms::owner_exec, fs::perm_options::add);
    return host;
}

// Waits (up to 2 minutes) until a file holds at least that many lines: what hanging hosts say they started.
void waitForLines(const std::string& path, std::size_t lines) {
    for (int i = 0; i < 2400; ++i) {
        const std::string text = fileContents(path);
        if (static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n')) >= lines) return;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
}

// The host's arguments of each run, split.
std::vector<std::vector<std::string>> hostRuns(const TempFolder& folder) {
    std::vector<std::vector<std::string>> runs;
    std::istringstream lines(fileContents(folder.file("host.log")));
    for (std::string line; std::getline(lines, line);) {
        runs.emplace_back();
        for (size_t start = 0, end; (end = line.find('|', start)) != std::string::npos; start = end + 1)
            runs.back().push_back(line.substr(start, end - start));
    }
    return runs;
}

bool holds(const std::vector<std::string>& args, const std::vector<std::string>& wanted) {
    return std::search(args.begin(), args.end(), wanted.begin(), wanted.end()) != args.end();
}

// The batch writes no drawing: each host gets its one save (--save, --backup, --save-as, none for a dry
// run) and no saving command is added to the user's; the outcome is the host's record. Links planted at
// the names the batch once used for its temporaries, in a folder writable by all, lead nowhere.
TEST(VrkbatchTest, TheHostSavesAndTheBatchWritesNoDrawing) {
    TempFolder folder;
    const std::string in = folder.file("in");
    fs::create_directories(in);
    fs::permissions(in, fs::perms::all | fs::perms::sticky_bit);
    std::ofstream(in + "/a.dxf") << "dynamic";
    std::ofstream(in + "/b.dxf") << "static";
    std::ofstream(in + "/c\x1b]0;owned\x07.dxf") << "fail";
    const std::string victim = folder.file("victim");
    std::ofstream(victim) << "keep";
    for (const char* name : {".a.dxf.vrkbatch~", ".a.bak.vrkbatch~", ".b.dxf.vrkbatch~"})
        fs::create_symlink(victim, in + "/" + name);
    const std::string host = fakeHost(folder);
    const std::string abs = fs::absolute(in).string();

    struct Case {
        std::string options;
        std::vector<std::string> save;  // what the host of a.dxf is given
    };
    const std::vector<Case> cases = {
        {"--dry-run", {"--batch", "--release", "2008", abs + "/a.dxf", "-c", "vrk"}},
        {"--out " + quoted(folder.file("out")),
         {"--batch", "--release", "2008", "--save-as", fs::absolute(folder.file("out")).string() + "/a.dxf",
          abs + "/a.dxf"}},
        {"--in-place --no-backup --commands 'vrk;INFO'", {"--save", abs + "/a.dxf", "-c", "vrk", "-c", "INFO"}},
        {"--in-place --numbered-backups", {"--save", "--backup", abs + "/a.bak", "--numbered-backup", abs + "/a.dxf"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.options);
        fs::remove(folder.file("host.log"));
        std::ofstream(in + "/a.dxf") << "dynamic";
        fs::remove(in + "/a.bak");
        const ProgramResult r = vrkbatch(c.options + " --jobs 1 --host " + quoted(host) + " --report " +
                                         quoted(folder.file("r.jsonl")) + " " + quoted(in));
        EXPECT_EQ(r.status, 1) << r.err;
        const auto runs = hostRuns(folder);
        ASSERT_EQ(runs.size(), 3u);
        EXPECT_TRUE(holds(runs[0], c.save)) << fileContents(folder.file("host.log"));
        for (const auto& run : runs)
            for (const std::string& arg : run) EXPECT_EQ(arg.find("SAVE"), std::string::npos) << arg;
        const auto rows = reportRows(folder.file("r.jsonl"));
        EXPECT_EQ(rows.at("a.dxf")["outcome"], "solidified");
        EXPECT_EQ(rows.at("a.dxf")["dictionaries_after"], 0);
        EXPECT_EQ(rows.at("b.dxf")["outcome"], "nothing to do");
        const nlohmann::json& failed = rows.at("c\x1b]0;owned\x07.dxf");
        EXPECT_EQ(failed["outcome"], "failed");
        EXPECT_EQ(failed["error"], "vrkhost: the real cause");
        EXPECT_EQ(failed["message"], "") << "no success message for a failed drawing";
        EXPECT_TRUE(failed["dictionaries_after"].is_null());
        EXPECT_TRUE(failed["result"] == "");
        EXPECT_NE(r.err.find("c\\x1B]0;owned\\x07.dxf: vrkhost: the real cause"), std::string::npos) << r.err;
        EXPECT_EQ(r.err.find('\x1b'), std::string::npos) << "control characters reach the terminal escaped";
        EXPECT_EQ(fileContents(victim), "keep");
        for (const char* name : {".a.dxf.vrkbatch~", ".a.bak.vrkbatch~", ".b.dxf.vrkbatch~"})
            EXPECT_TRUE(fs::is_symlink(in + "/" + name)) << name;
    }
    EXPECT_EQ(folderEntries(in).size(), 7u) << "the three drawings, the three links and a.bak";
}

// No result lands on an input: not its own, not another's (--out naming an input folder, recursively),
// not through a link at the result's name; the drawings whose results would are failed rows and the
// inputs keep their content.
TEST(VrkbatchTest, NoResultReplacesAnInput) {
    TempFolder folder;
    const std::string in = folder.file("in");
    fs::create_directories(in + "/sub");
    fs::create_directories(folder.file("out"));
    std::ofstream(in + "/a.dxf") << "dynamic a";
    std::ofstream(in + "/sub/a.dxf") << "dynamic sub";
    std::ofstream(in + "/sub/b.dxf") << "dynamic b";
    std::ofstream(folder.file("c.dxf")) << "dynamic c";
    fs::create_symlink(folder.file("c.dxf"), folder.file("out/c.dxf"));
    const std::string host = fakeHost(folder);
    // in/sub/a.dxf's result would be in/a.dxf, named later: an input, whatever the order.
    ProgramResult r = vrkbatch("--out " + quoted(in) + " --host " + quoted(host) + " " + quoted(in + "/sub") + " " +
                               quoted(in + "/a.dxf"));
    EXPECT_EQ(r.status, 1) << r.err;
    EXPECT_EQ(fileContents(in + "/a.dxf"), "dynamic a");
    EXPECT_EQ(fileContents(in + "/sub/a.dxf"), "dynamic sub");
    EXPECT_NE(r.err.find("sub/a.dxf: its result " + in + "/a.dxf would replace the input " + in + "/a.dxf"),
              std::string::npos)
        << r.err;
    EXPECT_EQ(fileContents(in + "/b.dxf"), "solid\n") << "a result that lands on no input";

    // A link at the result's name that leads to an input.
    r = vrkbatch("--out " + quoted(folder.file("out")) + " --host " + quoted(host) + " --report " +
                 quoted(folder.file("r.csv")) + " " + quoted(folder.file("c.dxf")) + " " + quoted(in + "/sub/b.dxf"));
    EXPECT_EQ(r.status, 1) << r.err;
    const auto rows = reportRows(folder.file("r.csv"));
    EXPECT_EQ(rows.at("c.dxf")["outcome"], "failed");
    EXPECT_NE(rows.at("c.dxf")["error"].get<std::string>().find("would replace"), std::string::npos);
    EXPECT_EQ(fileContents(folder.file("c.dxf")), "dynamic c");
}

// Two batches on one folder: a drawing one is working on is skipped by the other, "in use by another
// run"; with the real host, no original is lost, whatever the order (tried a few times).
TEST(VrkbatchTest, TwoBatchesAtOnceTakeEachDrawingOnce) {
    TempFolder folder;
    const std::string in = folder.file("in");
    fs::create_directories(in);
    std::ofstream(in + "/a.dxf") << "slow dynamic";
    std::ofstream(in + "/b.dxf") << "slow dynamic";
    const std::string host = fakeHost(folder);
    const std::string batch = program("vrkbatch") + " --in-place --jobs 2 --host " + quoted(host) + " " + quoted(in);
    StartedProgram first(commandWords(batch));
    waitForLines(folder.file("started.log"), 2);
    const ProgramResult second = runProgram(batch + " --report " + quoted(folder.file("second.csv")));
    first.finish();
    EXPECT_EQ(second.status, 0) << second.err;
    for (const auto& [name, row] : reportRows(folder.file("second.csv"))) {
        EXPECT_EQ(row["outcome"], "skipped") << name;
        EXPECT_EQ(row["error"], "in use by another run") << name;
    }
    EXPECT_EQ(hostRuns(folder).size(), 2u);

    const std::vector<std::string> names = copyDrawings(folder.file("real"));
    for (int attempt = 0; attempt < 3; ++attempt) {
        SCOPED_TRACE(attempt);
        const std::string real = folder.file("real" + std::to_string(attempt));
        copyDrawings(real);
        const std::string run = program("vrkbatch") + " --in-place --jobs 2 -q " + quoted(real);
        StartedProgram first(commandWords(run)), second(commandWords(run));
        const ProgramResult one = first.finish(), other = second.finish();
        int solidified = 0;
        EXPECT_EQ(one.status, 0) << one.err;
        EXPECT_EQ(other.status, 0) << other.err;
        for (const std::string& name : names) {
            const std::string original = fileContents(folder.file("real/" + name));
            const std::string backup = real + "/" + fs::path(name).stem().string() + ".bak";
            // Either solidified with the original as its backup, or (no dynamic block) untouched.
            if (fileContents(real + "/" + name) == original) {
                EXPECT_FALSE(fs::exists(backup)) << name << ": untouched";
            } else {
                EXPECT_TRUE(fileContents(backup) == original) << name << ": the original kept";
                ++solidified;
            }
        }
        EXPECT_GT(solidified, 0);
    }
}

// With the real host: saving commands are refused (a failed row, nothing written, also in a dry run),
// an existing NAME.bak is never replaced (a failed row naming it, or the next numbered name), and a
// linked drawing is solidified where the link leads while the link stays a link.
TEST(VrkbatchTest, TheHostsKeepTheSavingRules) {
    TempFolder folder;
    const std::string in = folder.file("in");
    const std::string sample = std::string(VRK_SOURCE_DIR) + "/samples/dynblocks.dxf";
    const std::string original = fileContents(sample);
    fs::create_directories(in + "/real");
    for (const char* name : {"a.dxf", "real/linked.dxf"}) {
        fs::copy_file(sample, in + "/" + name);
        fs::permissions(in + "/" + name, fs::perms::owner_write, fs::perm_options::add);
    }
    fs::create_symlink("real/linked.dxf", in + "/link.dxf");
    for (const char* commands : {"--dry-run --commands 'vrk;SAVE'", "--out out --commands 'vrk;SAVEAS x.dxf'",
                                 "--in-place --commands 'vrk;QUIT'"}) {
        SCOPED_TRACE(commands);
        ProgramOptions inFolder;
        inFolder.workingFolder = folder.path();
        const ProgramResult r =
            runProgram(commandWords(program("vrkbatch") + " " + commands + " " + quoted(in + "/a.dxf")), inFolder);
        EXPECT_EQ(r.status, 1) << r.err;
        EXPECT_TRUE(fileContents(in + "/a.dxf") == original);
        EXPECT_EQ(folderEntries(folder.path()).size(), TempFolder::exists(folder.file("out")) ? 2u : 1u);
        EXPECT_EQ(folderEntries(folder.file("out")).size(), 0u) << "the --out folder, made, stays empty";
    }
    std::ofstream(in + "/a.bak") << "the CAD program's own backup";
    fs::permissions(in + "/a.bak", fs::perms::owner_read);
    ProgramResult r = vrkbatch("--in-place --report " + quoted(folder.file("r.csv")) + " " + quoted(in));
    EXPECT_EQ(r.status, 1) << r.err;
    auto rows = reportRows(folder.file("r.csv"));
    EXPECT_EQ(rows.at("a.dxf")["outcome"], "failed");
    EXPECT_NE(rows.at("a.dxf")["error"].get<std::string>().find("a.bak"), std::string::npos);
    EXPECT_TRUE(fileContents(in + "/a.dxf") == original);
    EXPECT_EQ(fileContents(in + "/a.bak"), "the CAD program's own backup");
    EXPECT_EQ(rows.at("link.dxf")["outcome"], "solidified");
    EXPECT_TRUE(fs::is_symlink(in + "/link.dxf"));
    EXPECT_TRUE(fileContents(in + "/real/linked.dxf") != original);

    r = vrkbatch("--in-place --numbered-backups " + quoted(in + "/a.dxf"));
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_TRUE(fileContents(in + "/a.1.bak") == original);
    EXPECT_EQ(fileContents(in + "/a.bak"), "the CAD program's own backup");
}

// A drawing that another program saves while its host works on it is not replaced by the result of the
// older content, with a backup or without: the host's changed-on-disk check, made under its save lock.
TEST(VrkbatchTest, ADrawingChangedMeanwhileIsNotReplaced) {
    TempFolder folder;
    const std::string sample = std::string(VRK_SOURCE_DIR) + "/samples/dynblocks.dxf";
    const std::string drawing = folder.file("a.dxf");
    const std::string newer = hostResult(sample, folder);
    std::ofstream(folder.file("newer.dxf"), std::ios::binary) << newer;
    // The colleague holds the hosts' save lock (a POSIX lock on its byte meets the host's own), waits
    // until the host blocks on it, that is after the host read the drawing and ran the commands, then
    // saves the drawing in place and lets the host go on.
    const std::string colleague = folder.file("colleague.py");
    std::ofstream(colleague) << "import fcntl, os, sys, time\n"
                                "drawing, newer, ready = sys.argv[1:4]\n"
                                "fd = os.open(drawing, os.O_RDWR)\n"
                                "fcntl.lockf(fd, fcntl.LOCK_EX, 1, 0x4000000000000000)\n"
                                "open(ready, 'w').close()\n"
                                "waiter = ':%d ' % os.fstat(fd).st_ino\n"
                                "while not any('->' in l and waiter in l for l in open('/proc/locks')):\n"
                                "    time.sleep(0.01)\n"
                                "os.ftruncate(fd, 0)\n"
                                "os.write(fd, open(newer, 'rb').read())\n";
    const std::string host = folder.file("busy-host.sh");
    std::ofstream(host) << "#!/bin/sh\n/usr/bin/python3 " + colleague + " " + drawing + " " + folder.file("newer.dxf") +
                               " " + folder.file("ready") + " & while [ ! -e " + folder.file("ready") +
                               " ]; do sleep 0.01; done\nrm " + folder.file("ready") + "\n" + kBin +
                               "/vrkhost \"$@\"; s=$?; wait; exit $s\n";
    fs::permissions(host, fs::perms::owner_exec, fs::perm_options::add);
    for (const char* backup : {"", "--no-backup"}) {
        SCOPED_TRACE(backup);
        fs::copy_file(sample, drawing, fs::copy_options::overwrite_existing);
        const ProgramResult r = vrkbatch(std::string("--in-place ") + backup + " --host " + quoted(host) +
                                         " --report " + quoted(folder.file("r.jsonl")) + " " + quoted(drawing));
        const nlohmann::json row = reportRows(folder.file("r.jsonl")).at("a.dxf");
        EXPECT_EQ(r.status, 1) << r.err;
        EXPECT_EQ(row["outcome"], "failed");
        EXPECT_NE(row["error"].get<std::string>().find("changed"), std::string::npos) << row["error"];
        EXPECT_TRUE(fileContents(drawing) == newer) << "the newer drawing kept";
        EXPECT_FALSE(TempFolder::exists(folder.file("a.bak"))) << "no backup without a save";
    }
}

// SIGHUP (a closed terminal) stops the batch as SIGTERM does: the report is written, the hosts are
// asked to end (SIGTERM, which they may use to clean up) before they would be killed, the status is 130.
TEST(VrkbatchTest, AHangupStopsTheBatchAndAsksTheHostsToEnd) {
    TempFolder folder;
    const std::string in = folder.file("in");
    fs::create_directories(in);
    std::ofstream(in + "/a.dxf") << "dynamic";
    std::ofstream(in + "/b.dxf") << "hang";
    StartedProgram batch(commandWords(program("vrkbatch") + " --jobs 1 --out " + quoted(folder.file("out")) +
                                      " --host " + quoted(fakeHost(folder)) + " --report " +
                                      quoted(folder.file("r.jsonl")) + " " + quoted(in)));
    waitForLines(folder.file("started.log"), 1);
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    batch.sendSignal(SIGHUP);
    const ProgramResult r = batch.finish();
    EXPECT_EQ(r.status, 130) << r.err;
    const auto rows = reportRows(folder.file("r.jsonl"));
    EXPECT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows.count("a.dxf"), 1u);
    EXPECT_EQ(fileContents(folder.file("stopped.log")), "term\n");
}

// DWG drawings: the host programs say what they are and what to do (status 3, nothing written); the
// batch leaves them out in one line and as skipped rows, and fails when they are all it found.
TEST(VrkbatchTest, DwgDrawingsAreToldApart) {
    TempFolder folder;
    const std::string in = folder.file("in");
    fs::create_directories(in);
    for (const char* name : {"plan.dwg", "site.DWG"})
        std::ofstream(in + "/" + name) << std::string("AC1032\0\0\0\0binary", 16);
    for (const char* tool : {"vrkhost", "vrkconvert"}) {
        SCOPED_TRACE(tool);
        const ProgramResult r =
            runProgram(program(tool) + " " + quoted(in + "/plan.dwg") +
                       (std::string(tool) == "vrkhost" ? " -c vrk" : " " + quoted(folder.file("x.dxf"))));
        EXPECT_EQ(r.status, 3);
        EXPECT_EQ(r.err, std::string(tool) + ": " + in +
                             "/plan.dwg is a DWG drawing; Varnikel reads DXF: save it as "
                             "DXF first (see README, DWG drawings)\n");
        EXPECT_FALSE(TempFolder::exists(folder.file("x.dxf")));
    }
    const std::string host = fakeHost(folder);
    ProgramResult r = vrkbatch("--in-place --host " + quoted(host) + " " + quoted(in));
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("vrkbatch: 2 DWG drawings left out, and no DXF drawing found: Varnikel reads DXF"),
              std::string::npos)
        << r.err;
    std::ofstream(in + "/a.dxf") << "dynamic";
    r = vrkbatch("--in-place -q --host " + quoted(host) + " --report " + quoted(folder.file("r.csv")) + " " +
                 quoted(in));
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.err, "") << "-q: the DWG drawings are in the report";
    const auto rows = reportRows(folder.file("r.csv"));
    EXPECT_EQ(rows.at("a.dxf")["outcome"], "solidified");
    for (const char* name : {"plan.dwg", "site.DWG"}) {
        EXPECT_EQ(rows.at(name)["outcome"], "skipped");
        EXPECT_NE(rows.at(name)["error"].get<std::string>().find("DWG drawing"), std::string::npos);
    }
}

std::map<std::string, std::string> contents(const std::string& folder) {
    std::map<std::string, std::string> files;
    for (const std::string& name : folderEntries(folder)) files[name] = fileContents(folder + "/" + name);
    return files;
}

// --in-place keeps NAME.bak equal to the original; a second run finds nothing to do and leaves the
// backups alone; a dry run before changes no file and counts what the real run then does.
TEST(VrkbatchTest, InPlaceKeepsTheOriginalAsBackupAndDryRunChangesNothing) {
    TempFolder folder;
    const std::string in = folder.file("in");
    const std::vector<std::string> names = copyDrawings(in);
    const auto originals = contents(in);

    ProgramResult r = vrkbatch("--dry-run --in-place --report " + quoted(folder.file("dry.jsonl")) + " " + quoted(in));
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(contents(in), originals);
    r = vrkbatch("--in-place --report " + quoted(folder.file("real.jsonl")) + " " + quoted(in));
    EXPECT_EQ(r.status, 0) << r.err;
    const auto dry = reportRows(folder.file("dry.jsonl"));
    const auto real = reportRows(folder.file("real.jsonl"));
    ASSERT_EQ(dry.size(), names.size());
    size_t backups = 0;
    for (const std::string& name : names) {
        SCOPED_TRACE(name);
        for (const char* column : {"outcome", "message", "dictionaries_before", "invisible_before",
                                   "dictionaries_after", "invisible_after", "bytes_before"})
            EXPECT_EQ(dry.at(name)[column], real.at(name)[column]) << column;
        EXPECT_TRUE(dry.at(name)["bytes_after"].is_null());
        const std::string stem = fs::path(name).stem().string();
        if (real.at(name)["outcome"] == "nothing to do") {
            EXPECT_TRUE(fileContents(in + "/" + name) == originals.at(name));
            continue;
        }
        ++backups;
        EXPECT_TRUE(fileContents(in + "/" + stem + ".bak") == originals.at(name));
        EXPECT_TRUE(fileContents(in + "/" + name) == hostResult(in + "/" + stem + ".bak", folder));
    }
    EXPECT_GT(backups, 0u);
    EXPECT_EQ(folderEntries(in).size(), names.size() + backups) << "drawings and backups, no temporaries";

    const auto solidified = contents(in);
    r = vrkbatch("--in-place --report " + quoted(folder.file("again.csv")) + " " + quoted(in));
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(contents(in), solidified);
    for (const auto& [name, row] : reportRows(folder.file("again.csv"))) EXPECT_EQ(row["outcome"], "nothing to do");
}

// Each drawing costs only itself: a host killed by a signal, one that hangs past the timeout, an
// unreadable drawing, a read-only one, a name the release's code page cannot hold, and a drawing whose
// backup would replace another's are failed rows with their reasons; the others are solidified.
TEST(VrkbatchTest, DrawingsThatFailAreRowsWithTheirReasonsWhileTheOthersComplete) {
    TempFolder folder;
    const std::string in = folder.file("in");
    const std::string sample = std::string(VRK_SOURCE_DIR) + "/samples/dynblocks.dxf";
    fs::create_directories(in);
    for (const char* name : {"a.dxf", "crash.dxf", "hang.dxf", "read-only.dxf", "b.DXF", "b.dxf", "чертёж.dxf"})
        fs::copy_file(sample, in + "/" + name);
    fs::permissions(in + "/read-only.dxf", fs::perms::owner_read);
    std::ofstream(in + "/garbage.dxf") << "not a drawing\n";
    // A host that dies by a signal or never ends, on some drawings.
    const std::string host = folder.file("host.sh");
    std::ofstream(host) << "#!/bin/sh\ncase \"$*\" in *crash.dxf*) kill -SEGV $$;; *hang.dxf*) exec sleep 60;; esac\n"
                           "exec " +
                               kBin + "/vrkhost \"$@\"\n";
    fs::permissions(host, fs::perms::owner_exec, fs::perm_options::add);

    const ProgramResult r = vrkbatch("--in-place --release 2004 --lcid 1033 --timeout 2 --host " + quoted(host) +
                                     " --report " + quoted(folder.file("report.csv")) + " " + quoted(in));
    EXPECT_EQ(r.status, 1) << r.err;
    const auto rows = reportRows(folder.file("report.csv"));
    const std::map<std::string, std::pair<const char*, const char*>> expected = {
        {"a.dxf", {"solidified", ""}},
        {"b.DXF", {"solidified", ""}},
        {"b.dxf", {"failed", "would replace the backup of"}},
        {"crash.dxf", {"failed", "killed by signal 11"}},
        {"hang.dxf", {"timed out", "stopped after 2 s"}},
        {"garbage.dxf", {"failed", "cannot read"}},
        {"read-only.dxf", {"failed", "read-only"}},
        {"чертёж.dxf", {"failed", "cannot represent all its characters"}},
    };
    ASSERT_EQ(rows.size(), expected.size());
    for (const auto& [name, want] : expected) {
        SCOPED_TRACE(name);
        EXPECT_EQ(rows.at(name)["outcome"], want.first);
        EXPECT_NE(rows.at(name)["error"].get<std::string>().find(want.second), std::string::npos)
            << rows.at(name)["error"];
        if (*want.second) {
            EXPECT_NE(r.err.find(name), std::string::npos) << "told on standard error";
        }
    }
    EXPECT_EQ(folderEntries(in).size(), 10u) << "the eight drawings, a.bak and b.bak";

    // A result whose name the code page cannot hold is not saved under another name ("?" for each letter).
    const ProgramResult named = vrkbatch("--release 2004 --lcid 1033 --out " + quoted(folder.file("вывод")) +
                                         " --report " + quoted(folder.file("named.csv")) + " " + quoted(in + "/a.dxf"));
    EXPECT_EQ(named.status, 1);
    EXPECT_NE(reportRows(folder.file("named.csv")).at("a.dxf")["error"].get<std::string>().find("cannot save"),
              std::string::npos);
    EXPECT_EQ(folderEntries(folder.file("вывод")).size(), 0u);
    EXPECT_EQ(folderEntries(folder.path()).size(), 5u) << "in, host.sh, report.csv, вывод, named.csv";
}

// Interrupted, the batch starts no more drawings, stops the running hosts, reports what finished and
// leaves every target untouched or complete.
TEST(VrkbatchTest, AnInterruptedBatchLeavesNoPartialFiles) {
    TempFolder folder;
    const std::string in = folder.file("in");
    const std::vector<std::string> names = copyDrawings(in);
    for (const char* name : {"zz-hang1.dxf", "zz-hang2.dxf", "zz-hang3.dxf"})
        fs::copy_file(in + "/" + names[0], in + "/" + name);
    const std::string host = folder.file("host.sh");
    // The hanging hosts say that they started, so that the batch is interrupted once both jobs hang.
    const std::string started = folder.file("started");
    std::ofstream(host) << "#!/bin/sh\ncase \"$*\" in *hang*) echo >>" + started + "; exec sleep 60;; esac\nexec " +
                               kBin + "/vrkhost \"$@\"\n";
    fs::permissions(host, fs::perms::owner_exec, fs::perm_options::add);

    StartedProgram batch(commandWords(program("vrkbatch") + " --jobs 2 --host " + quoted(host) + " --out " +
                                      quoted(folder.file("out")) + " --report " + quoted(folder.file("r.jsonl")) + " " +
                                      quoted(in)));
    waitForLines(started, 2);
    batch.sendSignal(SIGTERM);
    const ProgramResult r = batch.finish();
    EXPECT_EQ(r.status, 130) << r.err;
    const auto rows = reportRows(folder.file("r.jsonl"));
    EXPECT_EQ(rows.size(), names.size()) << "the drawings before the hanging ones, which never finish";
    for (const std::string& name : folderEntries(folder.file("out"))) {
        SCOPED_TRACE(name);
        ASSERT_EQ(rows.count(name), 1u);
        EXPECT_TRUE(fileContents(folder.file("out/" + name)) == hostResult(in + "/" + name, folder));
    }
}

TEST(VrkbatchTest, UsageErrorsAndHelp) {
    const ProgramResult help = vrkbatch("--help");
    EXPECT_EQ(help.status, 0);
    EXPECT_NE(help.out.find("\nExit status:\n  0    every drawing succeeded"), std::string::npos);
    TempFolder folder;
    std::ofstream(folder.file("file")) << "not a folder";
    const struct {
        std::string arguments;
        std::string reason;
    } cases[] = {
        {"", "PATH is required"},
        {"folder", "--out DIR or --in-place (or --dry-run) is required"},
        {"--out a --in-place folder", "--out excludes --in-place"},
        {"--out a --report r.txt folder", "--report: the report's extension must be .csv or .jsonl"},
        {"--out a --release 2010 folder", "--release: unknown release 2010 (2004 to 2008)"},
        {"--out a --lcid x folder", "--lcid: needs a locale identifier (a number such as 2052 or 0x804), not x"},
        {"--no-backup folder", "--no-backup requires --in-place"},
        {"--out a --commands vrk --script s folder", "--commands excludes --script"},
        {"--out a --timeout nan folder", "--timeout: needs a number of seconds above 0"},
        {"--out a --timeout inf folder", "--timeout: needs a number of seconds above 0"},
        {"--out a --timeout 1e999 folder", "--timeout: needs a number of seconds above 0"},
        {"--out a --timeout 0 folder", "--timeout: needs a number of seconds above 0"},
        {"--out a --release= 2004 folder", "--release has an empty value"},
        {"--out= a folder", "--out has an empty value"},
        {"--in-place --no-backup --numbered-backups folder", "--no-backup excludes --numbered-backups"},
        {"--out " + quoted(folder.file("file")) + " folder", "--out: " + folder.file("file") + " is not a folder"},
        {"--out a --script " + quoted(folder.file("none")) + " folder", "--script: cannot read " + folder.file("none")},
        {"-q --quiet --out a folder", "--quiet: At Most 1 required but received 2"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.arguments);
        const ProgramResult r = vrkbatch(c.arguments);
        EXPECT_EQ(r.status, 2);
        EXPECT_EQ(r.err, "vrkbatch: " + c.reason + "\nTry 'vrkbatch --help'.\n");
    }
    EXPECT_FALSE(TempFolder::exists("a"));
}
#endif

}  // namespace
}  // namespace vrk::test
