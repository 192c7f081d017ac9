// What vrkhost and vrkconvert promise alike: one option parser in the launchers and the host programs,
// one table of exit statuses, a line for each file written.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/run_program.h"
#include "tests/support/temp_folder.h"

namespace vrk::test {
namespace {

#if defined(_WIN32)
const std::string kBin = "Z:" VRK_BIN_DIR;
std::string program(const std::string& name) {
    return "\"" + kBin + "/" + name + ".exe\"";
}
#else
const std::string kBin = VRK_BIN_DIR;
std::string program(const std::string& name) {
    return "env PATH= LC_ALL=C " + kBin + "/" + name;
}
#endif
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
    for (const auto& p : programs) {
        for (const char* bad : badOptions) {
            SCOPED_TRACE(std::string(p.name) + " " + bad);
            ProgramResult r = runProgram(program(p.name) + " " + bad + " " + p.rest);
            EXPECT_EQ(r.status, 2);
            EXPECT_EQ(r.out, "");
            EXPECT_EQ(r.err.rfind(std::string(p.name).substr(0, std::string(p.name).find('-')) + ": ", 0), 0u)
                << r.err;
            EXPECT_FALSE(TempFolder::exists(target));
        }
        ProgramResult help = runProgram(program(p.name) + " --help");
        EXPECT_EQ(help.status, 0);
        EXPECT_NE(help.out.find("Exit status (the same for vrkhost and vrkconvert)"), std::string::npos)
            << p.name;
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
    };
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
