// The batch program end to end: its results against the host program's own, backups, dry runs, hosts
// that crash or hang, interruption, and the report.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>

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
    const ProgramResult r = runProgram(program("vrkhost") + " " + quoted(source) + " -c vrk -c " + quoted("SAVEAS " + out));
    EXPECT_EQ(r.status, 0) << source << ": " << r.err;
    return readWholeFile(out);
}

// The outcome vrkbatch reports for source: vrk changes some drawings, and leaves those without dynamic
// blocks or invisible entities outside layouts as they were.
std::string expectedOutcome(const std::string& source, const TempFolder& scratch) {
    return hostResult(source, scratch) == readWholeFile(source) ? "nothing to do" : "solidified";
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
    const std::string text = readWholeFile(path);
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

const char* const kColumns[] = {"path", "result", "outcome", "message", "dictionaries_before", "invisible_before",
                                "dictionaries_after", "invisible_after", "bytes_before", "bytes_after", "seconds",
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
        EXPECT_EQ(rows.size(), names.size() + links) << "the drawings once each (sub-folder under the same names), the link";
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
            EXPECT_TRUE(readWholeFile(in + "/out" + sub + "/" + name) == hostResult(in + sub + "/" + name, folder));
        }
    EXPECT_EQ(folderEntries(in + "/out").size(), names.size() + 1);
}

#if !defined(_WIN32)
std::map<std::string, std::string> contents(const std::string& folder) {
    std::map<std::string, std::string> files;
    for (const std::string& name : folderEntries(folder)) files[name] = readWholeFile(folder + "/" + name);
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
            EXPECT_TRUE(readWholeFile(in + "/" + name) == originals.at(name));
            continue;
        }
        ++backups;
        EXPECT_TRUE(readWholeFile(in + "/" + stem + ".bak") == originals.at(name));
        EXPECT_TRUE(readWholeFile(in + "/" + name) == hostResult(in + "/" + stem + ".bak", folder));
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
                           "exec " + kBin + "/vrkhost \"$@\"\n";
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
    for (const char* name : {"zz-hang1.dxf", "zz-hang2.dxf", "zz-hang3.dxf"}) fs::copy_file(in + "/" + names[0], in + "/" + name);
    const std::string host = folder.file("host.sh");
    // The hanging hosts say that they started, so that the batch is interrupted once both jobs hang.
    const std::string started = folder.file("started");
    std::ofstream(host) << "#!/bin/sh\ncase \"$*\" in *hang*) echo >>" + started + "; exec sleep 60;; esac\nexec " +
                               kBin + "/vrkhost \"$@\"\n";
    fs::permissions(host, fs::perms::owner_exec, fs::perm_options::add);

    const ProgramResult r = runProgram(program("vrkbatch") + " --jobs 2 --host " + quoted(host) + " --out " +
                                       quoted(folder.file("out")) + " --report " + quoted(folder.file("r.jsonl")) +
                                       " " + quoted(in) + " & i=0; while [ \"$(cat " + started + " 2>/dev/null | wc -l)\" -lt 2 ] && [ $i -lt 1200 ];"
                                       " do sleep 0.1; i=$((i+1)); done; kill -TERM $!; wait $!");
    EXPECT_EQ(r.status, 130) << r.err;
    const auto rows = reportRows(folder.file("r.jsonl"));
    EXPECT_EQ(rows.size(), names.size()) << "the drawings before the hanging ones, which never finish";
    for (const std::string& name : folderEntries(folder.file("out"))) {
        SCOPED_TRACE(name);
        ASSERT_EQ(rows.count(name), 1u);
        EXPECT_TRUE(readWholeFile(folder.file("out/" + name)) == hostResult(in + "/" + name, folder));
    }
}

TEST(VrkbatchTest, UsageErrorsAndHelp) {
    const ProgramResult help = vrkbatch("--help");
    EXPECT_EQ(help.status, 0);
    EXPECT_NE(help.out.find("Exit status: 0"), std::string::npos);
    for (const char* arguments : {"", "folder", "--out a --in-place folder", "--out a --report r.txt folder",
                                  "--out a --release 2010 folder", "--out a --lcid x folder", "--no-backup folder",
                                  "--out a --commands vrk --script s folder"}) {
        SCOPED_TRACE(arguments);
        const ProgramResult r = vrkbatch(arguments);
        EXPECT_EQ(r.status, 2);
        EXPECT_NE(r.err, "");
    }
}
#endif

}  // namespace
}  // namespace vrk::test
