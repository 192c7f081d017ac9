#include <gtest/gtest.h>

#include <cstdio>

#include "tests/support/run_program.h"

namespace vrk::test {
namespace {

const std::string kBin = VRK_BIN_DIR;
const char* kReleases[] = {"2004", "2005", "2006", "2007", "2008"};

// PATH is emptied so that the help command finds no browser to start.
ProgramResult vrkhost(const std::string& arguments, const std::string& input = std::string()) {
    return runProgram("env PATH= LC_ALL=C " + kBin + "/vrkhost " + arguments, input);
}

TEST(VrkhostTest, EveryReleaseLoadsItsModuleAndRunsBothCommandsByEveryName) {
    for (const char* release : kReleases) {
        SCOPED_TRACE(release);
        ProgramResult r = vrkhost(std::string("--release ") + release + " -c vrk -c Varnikel -c VRK_HELP -c vrk_help_online");
        EXPECT_EQ(r.status, 0) << r.err;
        EXPECT_EQ(r.out, "\nNo dynamic block need to been solidfied.\nNo dynamic block need to been solidfied.\n");
        EXPECT_EQ(r.err, "");
    }
}

TEST(VrkhostTest, HostCommands) {
    ProgramResult r = vrkhost("-c \"GETVAR DWGCHECK\" -c \"SETVAR USERS1 some path\" -c \"getvar users1\"");
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "2\nsome path\n");

    r = vrkhost("-c nosuch -c vrk");
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, "Unknown command \"nosuch\".\n\nNo dynamic block need to been solidfied.\n");

    r = vrkhost("-c \"SETVAR USERI1 x\"");
    EXPECT_EQ(r.status, 1);
}

TEST(VrkhostTest, CommandsFromStandardInputUntilQuit) {
    ProgramResult r = vrkhost("", "vrk\nGETVAR DWGCHECK\nQUIT\nvrk\n");
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "\nNo dynamic block need to been solidfied.\n2\n");
}

TEST(VrkhostTest, UsageErrorsAndHelp) {
    ProgramResult r = vrkhost("--help");
    EXPECT_EQ(r.status, 0);
    EXPECT_NE(r.out.find("Usage: vrkhost"), std::string::npos);
    EXPECT_NE(r.out.find("Exit status"), std::string::npos);
    EXPECT_EQ(vrkhost("--release 2010").status, 2);
    EXPECT_EQ(vrkhost("--bogus").status, 2);
    EXPECT_EQ(vrkhost("--module /nonexistent/Varnikel.arx -c vrk").status, 4);
}

TEST(VrkhostTest, RegistryFileKeepsTheDemandLoadEntries) {
    char folder[] = "/tmp/vrkregXXXXXX";
    ASSERT_NE(mkdtemp(folder), nullptr);
    const std::string file = std::string(folder) + "/registry.txt";
    EXPECT_EQ(vrkhost("--release 2004 --registry " + file + " -c vrk").status, 0);
    EXPECT_EQ(vrkhost("--release 2008 --registry " + file + " -c vrk").status, 0);
    const std::string text = readWholeFile(file);
    EXPECT_NE(text.find("Varnikel_2004.arx"), std::string::npos);
    EXPECT_NE(text.find("Varnikel_2008.dll"), std::string::npos);
    EXPECT_NE(text.find("VRK_HELP"), std::string::npos);
    std::system((std::string("rm -rf ") + folder).c_str());
}

TEST(VrkhostTest, ModulesExportOnlyTheirEntryPoints) {
    for (const char* release : kReleases) {
        const std::string file =
            kBin + "/Varnikel_" + release + (std::string(release) <= "2006" ? ".arx" : ".dll");
        ProgramResult r = runProgram("nm -D --defined-only " + file + " | awk '{print $3}' | sort");
        EXPECT_EQ(r.out, "acrxEntryPoint\nacrxGetApiVersion\n") << file;
    }
}

}  // namespace
}  // namespace vrk::test
