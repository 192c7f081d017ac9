// What the host programs do with the files they are given: names a narrow host cannot hold, the source
// under a second name, files that are no drawing and targets that are no drawing file.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <unistd.h>

#include <fstream>

#include "tests/support/run_program.h"
#include "tests/support/temp_folder.h"

namespace vrk::test {
namespace {

#if defined(_WIN32)
std::string shellQuoted(const std::string& s) { return "\"" + s + "\""; }
std::string program(const std::string& name) { return shellQuoted("Z:" VRK_BIN_DIR "/" + name + ".exe"); }
#else
std::string shellQuoted(const std::string& s) { return "'" + s + "'"; }
std::string program(const std::string& name) { return "env PATH= " VRK_BIN_DIR "/" + name; }
#endif

class SavingTest : public ::testing::Test {
protected:
    void SetUp() override {
        sample = readWholeFile(VRK_SOURCE_DIR "/samples/dynblocks.dxf");
        ASSERT_FALSE(sample.empty());
        source = folder.file("src.dxf");
        put("src.dxf", sample);
    }
    void put(const std::string& name, const std::string& bytes) {
        std::ofstream(folder.file(name), std::ios::binary) << bytes;
    }
    ProgramResult run(const std::string& name, const std::string& arguments) {
        return runProgram(program(name) + " " + arguments);
    }

    TempFolder folder;
    std::string sample;
    std::string source;
};

#if defined(_WIN32)
TEST_F(SavingTest, NarrowHostsRefuseNamesTheirCodePageCannotHold) {
    GTEST_SKIP() << "the test starts programs through the ANSI command line, which cannot carry such names; "
                    "the host's conversion itself is checked in the convert suite";
}
#else
// Under a UTF-8 environment a name outside code page 1252 never turns into "??.dxf" (which exists
// here, and must not be read or written); --lcid with a code page that holds it, or a wide host, works.
TEST_F(SavingTest, NarrowHostsRefuseNamesTheirCodePageCannotHold) {
    put("\xE5\x9B\xBE\xE7\xBA\xB8.dxf", sample);  // 图纸.dxf
    put("??.dxf", sample);
    const std::string narrow = "--release 2004 --lcid 1033 ";
    const std::string drawingPath = folder.file("\xE5\x9B\xBE\xE7\xBA\xB8.dxf");
    const std::string targetPath = folder.file("\xE8\xBE\x93\xE5\x87\xBA.dxf");  // 输出.dxf
    const std::string drawing = shellQuoted(drawingPath);
    const std::string target = shellQuoted(targetPath);
    struct Case {
        const char* program;
        std::string arguments;
    };
    for (const Case& c : {Case{"vrkhost", narrow + drawing + " -c vrk -c SAVE"},
                          Case{"vrkconvert", narrow + shellQuoted(source) + " " + target},
                          Case{"vrkhost", narrow + shellQuoted(source) + " -c " + shellQuoted("OPEN " + drawingPath)},
                          Case{"vrkhost", narrow + shellQuoted(source) + " -c vrk -c " + shellQuoted("SAVEAS " + targetPath)},
                          Case{"vrkhost", narrow + "-c " + shellQuoted("SETVAR USERS1 " + drawingPath)}}) {
        SCOPED_TRACE(c.arguments);
        ProgramResult r = runProgram("LC_ALL=C.UTF-8 " + program(c.program) + " " + c.arguments);
        EXPECT_NE(r.status, 0);
        EXPECT_NE((r.err + r.out).find("cannot represent"), std::string::npos) << r.err << r.out;
        EXPECT_NE((r.err + r.out).find("--lcid"), std::string::npos);
        EXPECT_TRUE(readWholeFile(folder.file("??.dxf")) == sample);
        EXPECT_TRUE(readWholeFile(folder.file("\xE5\x9B\xBE\xE7\xBA\xB8.dxf")) == sample);
        EXPECT_EQ(folder.entries().size(), 3u);
    }
    EXPECT_EQ(run("vrkconvert", "--release 2004 --lcid 2052 " + shellQuoted(source) + " " + target).status, 0);
    EXPECT_EQ(run("vrkhost", "--release 2008 " + drawing + " -c vrk -c SAVE").status, 0);
    EXPECT_TRUE(readWholeFile(folder.file("\xE5\x9B\xBE\xE7\xBA\xB8.dxf")) != sample);
    EXPECT_TRUE(readWholeFile(folder.file("??.dxf")) == sample);
}
#endif

// The source is only read: the same file named again (as it is, through ./, through a link) is refused
// before anything is read, and the source stays as it was.
TEST_F(SavingTest, TheSourceUnderAnotherNameIsNoTarget) {
    std::vector<std::string> targets = {source, folder.path() + "/./src.dxf"};
#if !defined(_WIN32)
    ASSERT_EQ(symlink("src.dxf", folder.file("link.dxf").c_str()), 0);
    targets.push_back(folder.file("link.dxf"));
#endif
    for (const std::string& target : targets) {
        SCOPED_TRACE(target);
        ProgramResult r = run("vrkconvert", shellQuoted(source) + " " + shellQuoted(target));
        EXPECT_EQ(r.status, 4);
        EXPECT_NE(r.err.find("is the source"), std::string::npos) << r.err;
        EXPECT_TRUE(readWholeFile(source) == sample);
    }
}

// Each refusal names the file and says what is wrong with it, on standard error, and leaves it alone.
TEST_F(SavingTest, FilesThatAreNoDrawingOrNoDrawingFile) {
    put("picture.png", std::string("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16));
    put("readonly.dxf", "old");
    ASSERT_EQ(chmod(folder.file("readonly.dxf").c_str(), S_IREAD), 0);
#if defined(_WIN32)
    ASSERT_EQ(mkdir(folder.file("existdir").c_str()), 0);
#else
    ASSERT_EQ(mkdir(folder.file("existdir").c_str(), 0755), 0);
    ASSERT_EQ(mkfifo(folder.file("pipe").c_str(), 0644), 0);
#endif
    struct Case {
        const char* program;
        std::string arguments;
        int status;
        std::string message;
    };
    const std::string src = shellQuoted(source) + " ";
    for (const Case& c : {
             Case{"vrkhost", shellQuoted(folder.file("picture.png")) + " -c vrk", 3,
                  "picture.png: not a DXF drawing (it does not begin with 0 SECTION) [eDxfReadAborted (63)]"},
             Case{"vrkhost", src + "-c vrk -c " + shellQuoted("SAVEAS " + folder.file("existdir/")), 4,
                  "existdir/: it is a folder, not a drawing file [eFileAccessErr (72)]"},
             Case{"vrkconvert", src + shellQuoted(folder.file("existdir")), 4, "existdir: it is a folder"},
             Case{"vrkconvert", src + shellQuoted(folder.file("readonly.dxf")), 4, "readonly.dxf: it is read-only"},
#if !defined(_WIN32)
             Case{"vrkconvert", src + shellQuoted(folder.file("pipe")), 4, "pipe: it is not a regular file"},
#endif
         }) {
        SCOPED_TRACE(c.arguments);
        ProgramResult r = run(c.program, c.arguments);
        EXPECT_EQ(r.status, c.status);
        EXPECT_NE(r.err.find(c.message), std::string::npos) << r.err;
        EXPECT_EQ(r.err.find("group code"), std::string::npos) << r.err;
    }
    EXPECT_EQ(readWholeFile(folder.file("readonly.dxf")), "old");
    EXPECT_TRUE(folderEntries(folder.file("existdir")).empty());
    chmod(folder.file("readonly.dxf").c_str(), S_IREAD | S_IWRITE);
}

#if !defined(_WIN32)
// SAVE through a link writes the drawing the link leads to; the link stays a link.
TEST_F(SavingTest, SaveThroughALinkWritesTheDrawing) {
    ASSERT_EQ(symlink("src.dxf", folder.file("link.dxf").c_str()), 0);
    ProgramResult r = run("vrkhost", shellQuoted(folder.file("link.dxf")) + " -c vrk -c SAVE");
    EXPECT_EQ(r.status, 0) << r.err;
    struct stat st {};
    ASSERT_EQ(lstat(folder.file("link.dxf").c_str(), &st), 0);
    EXPECT_TRUE(S_ISLNK(st.st_mode));
    EXPECT_TRUE(readWholeFile(source) != sample);
    EXPECT_EQ(folder.entries(), (std::vector<std::string>{"link.dxf", "src.dxf"}));
}
#endif

}  // namespace
}  // namespace vrk::test
