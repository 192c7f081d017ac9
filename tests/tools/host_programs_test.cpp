// What the programs promise alike: one command-line contract in the launchers, the host programs and
// vrkbatch, one table of exit statuses, a line for each file written.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "tests/support/run_program.h"
#include "tests/support/temp_folder.h"

namespace vrk::test {
namespace {

#if defined(_WIN32)
const std::string kBin = "Z:" VRK_BIN_DIR;
const std::string kExe = ".exe";
std::string program(const std::string& name) {
    return "\"" + (name.find('/') == std::string::npos ? kBin + "/" + name : name) + ".exe\"";
}
#else
const std::string kBin = VRK_BIN_DIR;
const std::string kExe;
std::string program(const std::string& name) {
    return "env PATH= LC_ALL=C " + (name.find('/') == std::string::npos ? kBin + "/" + name : name);
}
#endif
std::string withoutCarriageReturns(std::string text) {
    text.erase(std::remove(text.begin(), text.end(), '\r'), text.end());
    return text;
}

const std::string kSample = std::string(VRK_SOURCE_DIR) + "/samples/dynblocks.dxf";

TEST(HostProgramsTest, EveryProgramRefusesTheSameBadOptionsBeforeRunning) {
    TempFolder folder;
    const std::string target = folder.file("out.dxf");
    const struct {
        const char* name;
        std::string rest;  // a valid rest of the command line
    } programs[] = {
        {"vrkhost", "-c vrk -c \"SAVEAS " + target + "\""},
        {"vrkhost-r16", "-c vrk -c \"SAVEAS " + target + "\""},
        {"vrkhost-r17", "-c vrk -c \"SAVEAS " + target + "\""},
        {"vrkconvert", kSample + " " + target},
        {"vrkconvert-r16", kSample + " " + target},
        {"vrkconvert-r17", kSample + " " + target},
        {"vrkbatch", "--out " + folder.file("out") + " " + kSample},
    };
    const char* badOptions[] = {"--release 1999",
                                "--release abc",
                                "--release 2009",
                                "--lcid abc",
                                "--lcid -1",
                                "--release 2004 --release 2008",
                                "--lcid 2052 --lcid 1033",
                                "-q -q",
                                "--bogus"};
    std::map<std::string, std::string> reasons;  // by bad option, as the first program said it
    for (const auto& p : programs) {
        const std::string name = std::string(p.name).substr(0, std::string(p.name).find('-'));
        for (const char* bad : badOptions) {
            SCOPED_TRACE(std::string(p.name) + " " + bad);
            ProgramResult r = runProgram(program(p.name) + " " + bad + " " + p.rest);
            r.err = withoutCarriageReturns(r.err);  // the Windows launchers write text, the host programs bytes
            EXPECT_EQ(r.status, 2);
            EXPECT_EQ(r.out, "");
            const std::string tryHelp = "\nTry '" + name + " --help'.\n";
            ASSERT_EQ(r.err.rfind(name + ": ", 0), 0u) << r.err;
            ASSERT_GT(r.err.size(), name.size() + 2 + tryHelp.size());
            EXPECT_EQ(r.err.substr(r.err.size() - tryHelp.size()), tryHelp);
            const std::string reason = r.err.substr(name.size() + 2, r.err.size() - tryHelp.size() - name.size() - 2);
            EXPECT_EQ(reasons.emplace(bad, reason).first->second, reason);
            EXPECT_FALSE(TempFolder::exists(target));
            EXPECT_FALSE(TempFolder::exists(folder.file("out")));
        }
        ProgramResult help = runProgram(program(p.name) + " --help");
        help.out = withoutCarriageReturns(help.out);
        EXPECT_EQ(help.status, 0);
        EXPECT_NE(help.out.find("\nEach option may be given once"), std::string::npos) << p.name;
        EXPECT_NE(help.out.find("\nExit status:\n  0    "), std::string::npos) << p.name;
        EXPECT_NE(help.out.find("\n  2    usage error: "), std::string::npos) << p.name;
    }
    EXPECT_EQ(runProgram(program("vrkconvert") + " " + kSample).status, 2);
    EXPECT_EQ(runProgram(program("vrkconvert") + " " + kSample + " " + target + " third").status, 2);
    EXPECT_EQ(runProgram(program("vrkhost") + " " + kSample + " " + kSample).status, 2);
}

TEST(HostProgramsTest, ExitStatuses) {
    TempFolder folder;
    const std::string missing = folder.file("missing.dxf");
    const std::string unwritable = folder.file("no-such-folder/out.dxf");
    const struct {
        std::string command;
        int status;
    } cases[] = {
        {program("vrkhost") + " -c vrk", 0},
        {program("vrkhost") + " -c nosuch", 1},
        {program("vrkhost") + " --bogus", 2},
        {program("vrkhost") + " " + missing, 3},
        {program("vrkhost") + " -c \"OPEN " + missing + "\"", 3},
        {program("vrkhost") + " " + kSample + " -c \"SAVEAS " + unwritable + "\"", 4},
        {program("vrkhost") + " --module " + missing, 6},
        {program("vrkconvert") + " " + kSample + " " + folder.file("out.dxf"), 0},
        {program("vrkconvert") + " " + kSample, 2},
        {program("vrkconvert") + " " + missing + " " + folder.file("out2.dxf"), 3},
        {program("vrkconvert") + " " + kSample + " " + unwritable, 4},
        {program(folder.file("vrkhost")) + " -c vrk", 127},
    };
    // A launcher without its host program beside it (nor in an installed tree's place).
    std::filesystem::copy_file(kBin + "/vrkhost" + kExe, folder.file("vrkhost") + kExe);
    for (const auto& c : cases) {
        ProgramResult r = runProgram(c.command);
        EXPECT_EQ(r.status, c.status) << c.command << "\n" << r.out << r.err;
    }
}

TEST(HostProgramsTest, WhatWasWrittenIsSaidOnStandardErrorUnlessQuiet) {
    TempFolder folder;
    const std::string converted = folder.file("converted.dxf");
    const std::string saved = folder.file("saved.dxf");
    ProgramResult r = runProgram(program("vrkconvert") + " " + kSample + " " + converted);
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.err, "vrkconvert: wrote " + converted + " (solidified from " + kSample + ")\n");
    r = runProgram(program("vrkconvert") + " -q " + kSample + " " + converted);
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.err, "");

    r = runProgram(program("vrkhost") + " " + kSample + " -c vrk -c \"SAVEAS " + saved + "\"");
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.err, "vrkhost: saved the drawing to " + saved + "\n");
    r = runProgram(program("vrkhost") + " --quiet " + kSample + " -c vrk -c \"SAVEAS " + saved + "\"");
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.err, "");
}

}  // namespace
}  // namespace vrk::test
