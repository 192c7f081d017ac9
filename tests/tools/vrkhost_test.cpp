#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <sstream>
#include <string>
#include <vector>

#include "tests/support/run_program.h"
#include "tests/support/temp_folder.h"

#if defined(_WIN32)
#include <vector>
#endif

namespace vrk::test {
namespace {

const char* kReleases[] = {"2004", "2005", "2006", "2007", "2008"};

#if defined(_WIN32)
const std::string kBin = "Z:" VRK_BIN_DIR;

ProgramResult vrkhost(const std::string& arguments, const std::string& input = std::string()) {
    return runProgram("\"" + kBin + "/vrkhost.exe\" " + arguments, input);
}
// The help command's one shell call is checked in the frame tests, where the browser is a stand-in.
const char kBothCommandsByEveryName[] = " -c vrk -c Varnikel";
const char kHelpPageNotOpened[] = "";
#else
const std::string kBin = VRK_BIN_DIR;

// PATH is emptied so that the help command finds no browser to start.
ProgramResult vrkhost(const std::string& arguments, const std::string& input = std::string()) {
    return runProgram("env PATH= LC_ALL=C " + kBin + "/vrkhost " + arguments, input);
}
const char kBothCommandsByEveryName[] = " -c vrk -c Varnikel -c VRK_HELP -c vrk_help_online";
// With no program to open the help page, the host says so where Windows would show a dialog.
const char kHelpPageNotOpened[] =
    "vrkhost: cannot open https://varnikel.example.com/eng/apps/Varnikel.asp: no program to open it "
    "(xdg-open is not on PATH)\n"
    "vrkhost: cannot open https://varnikel.example.com/eng/apps/Varnikel.asp: no program to open it "
    "(xdg-open is not on PATH)\n";
#endif

TEST(VrkhostTest, EveryReleaseLoadsItsModuleAndRunsBothCommandsByEveryName) {
    for (const char* release : kReleases) {
        SCOPED_TRACE(release);
        ProgramResult r = vrkhost(std::string("--release ") + release + kBothCommandsByEveryName);
        EXPECT_EQ(r.status, 0) << r.err;
        EXPECT_EQ(r.out, "\nNo dynamic block need to been solidfied.\nNo dynamic block need to been solidfied.\n");
        // The solidify command opens every block definition for write: the new drawing counts as changed.
        EXPECT_EQ(r.err, std::string(kHelpPageNotOpened) + "vrkhost: the changes to the new drawing were not saved\n");
    }
}

// Each module reports its host generation's release (2004 to 2006: 16.0, 2007 and 2008: 17.0); a host
// of the other generation refuses it before the load message, with the module-load exit status.
TEST(VrkhostTest, HostRefusesAModuleOfTheOtherGeneration) {
    for (const char* module : kReleases) {
        const bool r16Module = std::string(module) <= "2006";
        const std::string file = kBin + "/Varnikel_" + module + (r16Module ? ".arx" : ".dll");
        for (const char* host : {"2004", "2008"}) {
            SCOPED_TRACE(std::string(module) + " module in a " + host + " host");
            const bool r16Host = std::string(host) <= "2006";
            const std::string arguments = std::string("--release ") + host + " --module \"" + file + "\" -c vrk";
#if defined(_WIN32)
            ProgramResult r = vrkhost(arguments);
#else
            // Mapping a module maps its generation's host library, which exports the same names as
            // the other one: AddressSanitizer's check for duplicate globals would end the run first.
            ProgramResult r =
                runProgram("env PATH= LC_ALL=C ASAN_OPTIONS=detect_odr_violation=0 " + kBin + "/vrkhost " + arguments);
#endif
            if (r16Module == r16Host) {
                EXPECT_EQ(r.status, 0) << r.err;
                continue;
            }
            EXPECT_EQ(r.status, 6);
            EXPECT_EQ(r.out, "");
            const std::string expected = std::string("is built for ObjectARX ") +
                                         (r16Module ? "16.0 (0x100000)" : "17.0 (0x110000)") + ", this host takes " +
                                         (r16Host ? "16.0 (0x100000)" : "17.0 (0x110000)");
            EXPECT_NE(r.err.find(expected), std::string::npos) << r.err;
            EXPECT_NE(r.err.find("Varnikel_" + std::string(module)), std::string::npos) << r.err;
        }
    }
}

TEST(VrkhostTest, HostCommands) {
    ProgramResult r = vrkhost("-c \"GETVAR DWGCHECK\" -c \"SETVAR USERS1 some path\" -c \"getvar users1\"");
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "2\nsome path\n");

    r = vrkhost("-c nosuch -c vrk");
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, "Unknown command \"nosuch\".\n");

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
    EXPECT_EQ(vrkhost("--module /nonexistent/Varnikel.arx -c vrk").status, 6);
}

TEST(VrkhostTest, SetvarTakesOnlyTheValuesTheHostTakes) {
    const struct {
        const char* variable;
        const char* value;
        const char* refusal;  // empty: taken
    } cases[] = {
        {"USERI1", "32767", ""},
        {"USERI1", "-32768", ""},
        {"USERI1", "32768", "Requires an integer between -32768 and 32767."},
        {"USERI1", "40000", "Requires an integer between -32768 and 32767."},
        {"USERI1", "-32769", "Requires an integer between -32768 and 32767."},
        {"USERI1", "99999999999999999999", "Requires an integer between -32768 and 32767."},
        {"USERI1", "x", "Requires an integer value."},
        {"USERI1", "1.5", "Requires an integer value."},
        {"USERI1", "12abc", "Requires an integer value."},
        {"DWGCHECK", "0", ""},
        {"DWGCHECK", "3", ""},
        {"DWGCHECK", "4", "Value must be between 0 and 3."},
        {"DWGCHECK", "-1", "Value must be between 0 and 3."},
        {"USERR1", "-2.5", ""},
        {"USERR1", "inf", "Requires numeric value."},
        {"USERR1", "nan", "Requires numeric value."},
        {"USERR1", "1e999", "Requires numeric value."},
        {"USERR1", "abc", "Requires numeric value."},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.variable) + " " + c.value);
        ProgramResult before = vrkhost(std::string("-c \"GETVAR ") + c.variable + "\"");
        ProgramResult r =
            vrkhost(std::string("-c \"SETVAR ") + c.variable + " " + c.value + "\" -c \"GETVAR " + c.variable + "\"");
        if (*c.refusal == '\0') {
            EXPECT_EQ(r.status, 0) << r.out;
            EXPECT_NE(r.out, before.out);
        } else {
            EXPECT_EQ(r.status, 1);
            EXPECT_EQ(r.out, std::string(c.refusal) + "\n");
        }
    }
}

TEST(VrkhostTest, CommandLinesTakeQuotedArgumentsAndIgnoreCarriageReturns) {
    TempFolder folder;
    const std::string sample = std::string(VRK_SOURCE_DIR) + "/samples/dynblocks.dxf";
    ProgramResult r = vrkhost("-q " + sample, "vrk\r\nSAVEAS \"" + folder.file("my drawing.dxf") + "\"\r\nSAVEAS " +
                                                  folder.file("out.dxf") + "\r\nQUIT\r\n");
    EXPECT_EQ(r.status, 0) << r.out << r.err;
    EXPECT_EQ(folder.entries(), (std::vector<std::string>{"my drawing.dxf", "out.dxf"}));

    // Arguments a command does not take fail it, in -c options and in scripts alike.
    for (const char* line : {"SAVE extra", "SAVEAS a.dxf b.dxf", "GETVAR", "INFO all", "vrk now", "QUIT now", "OPEN",
                             "SAVEAS \"unclosed.dxf"}) {
        SCOPED_TRACE(line);
        if (std::string(line).find('"') == std::string::npos) {
            EXPECT_EQ(vrkhost(sample + " -c \"" + std::string(line) + "\"").status, 1);
        }
        EXPECT_EQ(vrkhost(sample, std::string(line) + "\r\n").status, 1);
    }
    EXPECT_TRUE(folder.entries().size() == 2u);
}

// A script saved with a byte-order mark runs as written; a command that fails ends the run there, so a
// later SAVEAS never writes. Inside quotes \" is a quote, so any name can be given.
TEST(VrkhostTest, ScriptsStartWithAByteOrderMarkAndStopAtTheFirstFailure) {
    TempFolder folder;
    const std::string sample = std::string(VRK_SOURCE_DIR) + "/samples/dynblocks.dxf";
    const std::string saveAs = "SAVEAS \"" + folder.file("a.dxf") + "\"\n";
    ProgramResult r = vrkhost("-q " + sample, "\xEF\xBB\xBFINFO\n" + saveAs);
    EXPECT_EQ(r.status, 0) << r.out << r.err;
    EXPECT_EQ(r.out.find("Unknown"), std::string::npos) << r.out;
    for (const char* failing : {"BOGUS", "SETVAR USERI1 x", "\xEF\xBB\xBFvrk"}) {
        SCOPED_TRACE(failing);
        r = vrkhost("-q " + sample, "INFO\n" + std::string(failing) + "\nSAVEAS " + folder.file("b.dxf") + "\n");
        EXPECT_EQ(r.status, 1);
        EXPECT_NE(r.err.find("the commands after it were not run"), std::string::npos) << r.err;
    }
    EXPECT_EQ(vrkhost("-q " + sample + " -c BOGUS -c \"SAVEAS " + folder.file("b.dxf") + "\"").status, 1);
#if !defined(_WIN32)
    EXPECT_EQ(vrkhost("-q " + sample, "SAVEAS \"" + folder.file("say \\\"hi\\\".dxf") + "\"\n").status, 0);
    EXPECT_EQ(folder.entries(), (std::vector<std::string>{"a.dxf", "say \"hi\".dxf"}));
#else
    EXPECT_EQ(folder.entries(), (std::vector<std::string>{"a.dxf"}));
#endif
}

// Names and values that name nothing are usage errors, never a new drawing or the next argument; a
// name that is not UTF-8 is said to be so, not missing.
TEST(VrkhostTest, EmptyAndUndecodableNames) {
    EXPECT_EQ(vrkhost("\"\" -c INFO").status, 2);
    ProgramResult r = vrkhost("--release= 2004 -c INFO");
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.err.find("--release has an empty value"), std::string::npos) << r.err;
#if !defined(_WIN32)
    r = vrkhost("'a\377.dxf' -c INFO");
    EXPECT_EQ(r.status, 3);
    EXPECT_NE(r.err.find("not valid UTF-8"), std::string::npos) << r.err;
#endif
}

// Where standard output and error are one file, the line about the saved drawing starts a line.
TEST(VrkhostTest, SavedLineStartsALineOfItsOwn) {
    TempFolder folder;
    const std::string sample = std::string(VRK_SOURCE_DIR) + "/samples/dynblocks.dxf";
#if defined(_WIN32)
    GTEST_SKIP() << "the test starts the program with its two streams joined, which runProgram does not on Windows";
#else
    ProgramOptions joined;
    joined.joinedOutput = true;
    ProgramResult r = runProgram(commandWords("env PATH= LC_ALL=C " + kBin + "/vrkhost " + sample +
                                              " -c vrk -c \"SAVEAS " + folder.file("z.dxf") + "\""),
                                 joined);
    EXPECT_NE(r.out.find(".\nvrkhost: saved the drawing to"), std::string::npos) << r.out;
#endif
}

TEST(VrkhostTest, SaysWhenChangesToADrawingAreLeftUnsaved) {
    TempFolder folder;
    const std::string sample = std::string(VRK_SOURCE_DIR) + "/samples/dynblocks.dxf";
    const std::string lost = "vrkhost: the changes to " + sample + " were not saved\n";
    const struct {
        std::string commands;
        std::string err;
    } cases[] = {
        {"-c vrk -c \"OPEN " + sample + "\"", lost},
        {"-c vrk -c QUIT", lost},
        {"-c vrk", lost},
        {"-c vrk -c \"SAVEAS " + folder.file("kept.dxf") + "\"", ""},
        {"-c INFO -c \"OPEN " + sample + "\" -c QUIT", ""},
    };
    for (const auto& c : cases) {
        ProgramResult r = vrkhost("-q " + sample + " " + c.commands);
        EXPECT_EQ(r.status, 0) << c.commands;
        EXPECT_EQ(r.err, c.err) << c.commands;
    }
}

#if defined(_WIN32)
// The module writes its demand-load entries into the real registry.
TEST(VrkhostTest, ModulesWriteTheirDemandLoadEntriesIntoTheRegistry) {
    for (const char* generation : {"R16.0", "R17.0"}) {
        const std::string key = std::string("Software\\VrkHost\\") + generation + "\\Applications\\Varnikel";
        RegDeleteTreeA(HKEY_CURRENT_USER, key.c_str());
    }
    EXPECT_EQ(vrkhost("--release 2004 -c vrk").status, 0);
    EXPECT_EQ(vrkhost("--release 2008 -c vrk").status, 0);
    for (const char* generation : {"R16.0", "R17.0"}) {
        const std::string key = std::string("Software\\VrkHost\\") + generation + "\\Applications\\Varnikel";
        char loader[1024] = {};
        DWORD size = sizeof(loader) - 1;
        ASSERT_EQ(RegGetValueA(HKEY_CURRENT_USER, key.c_str(), "LOADER", RRF_RT_REG_SZ, nullptr, loader, &size),
                  ERROR_SUCCESS)
            << key;
        const std::string expected = generation[2] == '6' ? "Varnikel_2004.arx" : "Varnikel_2008.dll";
        EXPECT_NE(std::string(loader).find(expected), std::string::npos) << loader;
    }
    EXPECT_EQ(vrkhost("--registry x.txt -c vrk").status, 3);
}

// The exports as the module's export directory lists them.
std::vector<std::string> exportedNames(const std::string& file) {
    std::vector<std::string> names;
    HMODULE h = LoadLibraryExA(file.c_str(), nullptr, DONT_RESOLVE_DLL_REFERENCES);
    if (h == nullptr) return names;
    const BYTE* base = reinterpret_cast<const BYTE*>(h);
    const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
    const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
    const IMAGE_DATA_DIRECTORY& dir = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_EXPORT];
    if (dir.VirtualAddress != 0) {
        const auto* exports = reinterpret_cast<const IMAGE_EXPORT_DIRECTORY*>(base + dir.VirtualAddress);
        const auto* nameRvas = reinterpret_cast<const DWORD*>(base + exports->AddressOfNames);
        for (DWORD i = 0; i < exports->NumberOfNames; ++i)
            names.push_back(reinterpret_cast<const char*>(base + nameRvas[i]));
    }
    FreeLibrary(h);
    return names;
}

TEST(VrkhostTest, ModulesExportOnlyTheirEntryPoints) {
    for (const char* release : kReleases) {
        const std::string file = kBin + "/Varnikel_" + release + (std::string(release) <= "2006" ? ".arx" : ".dll");
        EXPECT_EQ(exportedNames(file), (std::vector<std::string>{"acrxEntryPoint", "acrxGetApiVersion"})) << file;
    }
}
#else
TEST(VrkhostTest, RegistryFileKeepsTheDemandLoadEntries) {
    TempFolder folder;
    const std::string file = folder.file("registry.txt");
    EXPECT_EQ(vrkhost("--release 2004 --registry " + file + " -c vrk").status, 0);
    EXPECT_EQ(vrkhost("--release 2008 --registry " + file + " -c vrk").status, 0);
    const std::string text = fileContents(file);
    EXPECT_NE(text.find("Varnikel_2004.arx"), std::string::npos);
    EXPECT_NE(text.find("Varnikel_2008.dll"), std::string::npos);
    EXPECT_NE(text.find("VRK_HELP"), std::string::npos);

    // Host programs started together keep each other's entries.
    for (int round = 0; round < 3; ++round) {
        std::remove(file.c_str());
        const std::string run = "env PATH= LC_ALL=C " + kBin + "/vrkhost --registry " + file + " -c vrk --release ";
        StartedProgram first(commandWords(run + "2004"));
        StartedProgram second(commandWords(run + "2008"));
        first.finish();
        second.finish();
        const std::string both = fileContents(file);
        EXPECT_NE(both.find("Varnikel_2004.arx"), std::string::npos) << both;
        EXPECT_NE(both.find("Varnikel_2008.dll"), std::string::npos) << both;
    }
}

TEST(VrkhostTest, ModulesExportOnlyTheirEntryPoints) {
    for (const char* release : kReleases) {
        const std::string file = kBin + "/Varnikel_" + release + (std::string(release) <= "2006" ? ".arx" : ".dll");
        ProgramResult r = runProgram(std::vector<std::string>{"nm", "-D", "--defined-only", file});
        ASSERT_EQ(r.status, 0) << r.err;
        // nm's lines: address, type, name.
        std::istringstream lines(r.out);
        std::vector<std::string> names;
        for (std::string address, type, name; lines >> address >> type >> name;) names.push_back(name);
        std::sort(names.begin(), names.end());
        EXPECT_EQ(names, (std::vector<std::string>{"acrxEntryPoint", "acrxGetApiVersion"})) << file;
    }
}
#endif

}  // namespace
}  // namespace vrk::test
