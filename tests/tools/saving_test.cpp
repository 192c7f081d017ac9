// What the host programs do with the files they are given: names a narrow host cannot hold, the source
// under a second name, files that are no drawing and targets that are no drawing file.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <unistd.h>

#include <fstream>

#include "tests/support/run_program.h"
#include "tests/support/temp_folder.h"
#include "tools/record/host_record.h"

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
        sample = fileContents(VRK_SOURCE_DIR "/samples/dynblocks.dxf");
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
    for (const Case& c :
         {Case{"vrkhost", narrow + drawing + " -c vrk -c SAVE"},
          Case{"vrkconvert", narrow + shellQuoted(source) + " " + target},
          Case{"vrkhost", narrow + shellQuoted(source) + " -c " + shellQuoted("OPEN " + drawingPath)},
          Case{"vrkhost", narrow + shellQuoted(source) + " -c vrk -c " + shellQuoted("SAVEAS " + targetPath)},
          Case{"vrkhost", narrow + "-c " + shellQuoted("SETVAR USERS1 " + drawingPath)}}) {
        SCOPED_TRACE(c.arguments);
        ProgramResult r = runProgram("env LC_ALL=C.UTF-8 " + program(c.program) + " " + c.arguments);
        EXPECT_NE(r.status, 0);
        EXPECT_NE((r.err + r.out).find("cannot represent"), std::string::npos) << r.err << r.out;
        EXPECT_NE((r.err + r.out).find("--lcid"), std::string::npos);
        EXPECT_TRUE(fileContents(folder.file("??.dxf")) == sample);
        EXPECT_TRUE(fileContents(folder.file("\xE5\x9B\xBE\xE7\xBA\xB8.dxf")) == sample);
        EXPECT_EQ(folder.entries().size(), 3u);
    }
    EXPECT_EQ(run("vrkconvert", "--release 2004 --lcid 2052 " + shellQuoted(source) + " " + target).status, 0);
    EXPECT_EQ(run("vrkhost", "--release 2008 " + drawing + " -c vrk -c SAVE").status, 0);
    EXPECT_TRUE(fileContents(folder.file("\xE5\x9B\xBE\xE7\xBA\xB8.dxf")) != sample);
    EXPECT_TRUE(fileContents(folder.file("??.dxf")) == sample);
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
        EXPECT_TRUE(fileContents(source) == sample);
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
                 Case{"vrkconvert", src + shellQuoted(folder.file("out.DWG")), 2, "vrkconvert writes DXF only"},
                 Case{"vrkconvert", src + shellQuoted(""), 2, "TARGET is empty"},
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
    EXPECT_EQ(fileContents(folder.file("readonly.dxf")), "old");
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
    EXPECT_TRUE(fileContents(source) != sample);
    EXPECT_EQ(folder.entries(), (std::vector<std::string>{"link.dxf", "src.dxf"}));
}
#endif

#if defined(_WIN32)
// However a path is written, the temporary file is made in the target's own folder; a hidden drawing
// stays hidden.
TEST_F(SavingTest, WindowsPathsAreWrittenHoweverSpelled) {
    std::string backslashes = folder.path(), slashes = folder.path();
    for (char& c : backslashes)
        if (c == '/') c = '\\';
    for (char& c : slashes)
        if (c == '\\') c = '/';
    ProgramResult r =
        run("vrkconvert", shellQuoted(source) + " " + shellQuoted("\\\\?\\" + backslashes + "\\prefixed.dxf"));
    EXPECT_EQ(r.status, 0) << r.err;
    r = run("vrkconvert", shellQuoted(source) + " " + shellQuoted(slashes + "/slashes.dxf"));
    EXPECT_EQ(r.status, 0) << r.err;
    ASSERT_TRUE(SetFileAttributesA(folder.file("src.dxf").c_str(), FILE_ATTRIBUTE_HIDDEN));
    r = run("vrkhost", shellQuoted(source) + " -c vrk -c SAVE");
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_TRUE(GetFileAttributesA(folder.file("src.dxf").c_str()) & FILE_ATTRIBUTE_HIDDEN);
    SetFileAttributesA(folder.file("src.dxf").c_str(), FILE_ATTRIBUTE_NORMAL);
    EXPECT_EQ(folder.entries(), (std::vector<std::string>{"prefixed.dxf", "slashes.dxf", "src.dxf"}));
}
#else
// Two SAVEs of one file, both started before either saves: one writes, the other says the file
// changed since it read it. The hosts read the drawing, then wait for their commands.
TEST_F(SavingTest, OfTwoSavesOfOneFileOneRefuses) {
    const std::vector<std::string> host = commandWords(program("vrkhost") + " " + shellQuoted(source));
    for (int round = 0; round < 3; ++round) {
        put("src.dxf", sample);
        ProgramOptions fed;
        fed.fedInput = true;
        StartedProgram first(host, fed), second(host, fed);
        sleep(1);
        first.write("vrk\nSAVE\n");
        second.write("vrk\nSAVE\n");
        const ProgramResult r1 = first.finish(), r2 = second.finish();
        const std::string statuses = std::to_string(r1.status) + " " + std::to_string(r2.status);
        EXPECT_TRUE(statuses == "0 4" || statuses == "4 0") << statuses << r1.err << r2.err;
        EXPECT_NE((r1.err + r2.err).find("changed on disk"), std::string::npos);
        EXPECT_TRUE(fileContents(source) != sample);
    }
}

// Batch mode, as vrkbatch runs the host: saving commands refused before anything runs; one record on
// standard output, also when the drawing cannot be read; --save only when the commands changed the
// drawing; --save-as always.
TEST_F(SavingTest, BatchModeSavesOnlyWhatTheBatchAsks) {
    auto record = [](const ProgramResult& r) {
        vrk::record::HostRecord parsed;
        std::string reason;
        EXPECT_TRUE(vrk::record::parseRecord(r.out, parsed, reason)) << reason << r.out;
        EXPECT_EQ(r.out.find('\n'), r.out.size() - 1) << r.out;
        EXPECT_EQ(parsed.status, r.status);
        return parsed;
    };
    const std::string batch = "--batch " + shellQuoted(source) + " ";
    for (const std::string& commands : std::vector<std::string>{
             "-c vrk -c SAVE", "-c " + shellQuoted("saveas " + folder.file("x.dxf")), "-c QUIT", "-c OPEN\\ a.dxf"}) {
        ProgramResult r = run("vrkhost", batch + commands);
        EXPECT_EQ(r.status, 1);
        EXPECT_NE(record(r).error.find("is not allowed in batch mode"), std::string::npos) << r.err;
    }
    ProgramResult r = runProgram(program("vrkhost") + " " + batch + "--save", "vrk\nSAVE\n");
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(fileContents(source) == sample);
    EXPECT_EQ(folder.entries(), (std::vector<std::string>{"src.dxf"}));

    r = run("vrkhost", "--batch " + shellQuoted(folder.file("none.dxf")) + " -c vrk --save");
    vrk::record::HostRecord missing = record(r);
    EXPECT_EQ(r.status, 3);
    EXPECT_FALSE(missing.before.has_value());
    EXPECT_NE(r.err.find("vrkhost: " + missing.error), std::string::npos) << r.err;

    r = run("vrkhost", batch + "-c vrk");           // a dry run
    EXPECT_EQ(record(r).after->withDictionary, 8);  // the layouts' and the plain blocks' dictionaries stay
    EXPECT_TRUE(fileContents(source) == sample);

    r = run("vrkhost", batch + "-c vrk --save");
    vrk::record::HostRecord saved = record(r);
    EXPECT_EQ(saved.saved.value_or(""), source);
    EXPECT_EQ(saved.before->withDictionary, 12);
    EXPECT_EQ(saved.output, "4 dynamic blocks have been solidfied.");
    const std::string solid = fileContents(source);
    EXPECT_EQ(saved.bytesAfter.value_or(0), solid.size());
    struct stat before {
    }, after{};
    ASSERT_EQ(stat(source.c_str(), &before), 0);
    r = run("vrkhost", batch + "-c vrk --save");
    EXPECT_FALSE(record(r).saved.has_value());
    ASSERT_EQ(stat(source.c_str(), &after), 0);
    EXPECT_EQ(before.st_ino, after.st_ino);

    r = run("vrkhost", batch + "--save-as " + shellQuoted(folder.file("copy.dxf")));
    EXPECT_EQ(record(r).saved.value_or(""), folder.file("copy.dxf"));
    EXPECT_TRUE(fileContents(folder.file("copy.dxf")) == solid);
}

// A backup is the file read, under a second name, made only when the save goes ahead; an existing one
// that is another file is never replaced (nothing is saved then), unless a numbered name is asked for.
TEST_F(SavingTest, BackupIsMadeOnceAndNeverReplacesAFile) {
    const std::string bak = folder.file("src.dxf.bak");
    const std::string save = "--batch " + shellQuoted(source) + " -c vrk --save --backup " + shellQuoted(bak);
    struct stat original {
    }, backup{};
    ASSERT_EQ(stat(source.c_str(), &original), 0);
    ProgramResult r = run("vrkhost", save);
    EXPECT_EQ(r.status, 0) << r.err;
    ASSERT_EQ(stat(bak.c_str(), &backup), 0);
    EXPECT_EQ(backup.st_ino, original.st_ino);
    EXPECT_TRUE(fileContents(bak) == sample);

    put("src.dxf", sample);
    r = run("vrkhost", save);
    EXPECT_EQ(r.status, 4);
    EXPECT_NE(r.err.find("src.dxf.bak exists and was not made by this run; nothing was saved"), std::string::npos)
        << r.err;
    EXPECT_TRUE(fileContents(source) == sample);

    put("src.dxf.1.bak", "theirs");
    r = run("vrkhost", save + " --numbered-backup");
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find("\"backup\":\"" + folder.file("src.dxf.2.bak") + "\""), std::string::npos) << r.out;
    EXPECT_TRUE(fileContents(folder.file("src.dxf.2.bak")) == sample);
    EXPECT_EQ(fileContents(folder.file("src.dxf.1.bak")), "theirs");
}
#endif

}  // namespace
}  // namespace vrk::test
