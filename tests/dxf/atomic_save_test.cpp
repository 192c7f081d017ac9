// Saving replaces the target in one step or not at all.

#include <sys/stat.h>
#include <unistd.h>

#include "emulator/dxf/atomic_file.h"
#if defined(_WIN32)
#include "emulator/dxf/win_path.h"
#endif
#include "handmade.h"
#include "test_support.h"

namespace vrk::dxf::testing {
namespace {

class AtomicSave : public ::testing::Test {
protected:
    void SetUp() override { doc = parseOk(handmade()); }
    std::unique_ptr<Document> doc;
    TempFolder folder;
    EditSet none;
};

TEST_F(AtomicSave, WritesTheTargetAndNothingElse) {
    SaveError err;
    WriteStats stats;
    ASSERT_TRUE(saveDocument(*doc, none, folder.file("out.dxf"), err, &stats)) << err.reason;
    EXPECT_EQ(slurp(folder.file("out.dxf")), handmade());
    EXPECT_EQ(folder.entries(), (std::vector<std::string>{"out.dxf"}));
    EXPECT_EQ(stats.bytes, handmade().size());
    struct stat st {};
    ASSERT_EQ(stat(folder.file("out.dxf").c_str(), &st), 0);
    EXPECT_NE(st.st_mode & 0444, 0u);  // readable, not mkstemp's private 0600 only
}

// Paths are UTF-8 everywhere: a name outside any ANSI code page saves, replaces and reads back.
TEST_F(AtomicSave, NonAsciiNameSavesAndReadsBack) {
    const std::string target = folder.file("Zeichnung-\xC3\xBC\xE4\xB8\xAD.dxf");  // ü, 中
    SaveError err;
    ASSERT_TRUE(saveDocument(*doc, none, target, err)) << err.reason;
    ReadError rerr;
    auto back = readDocument(target, rerr);
    ASSERT_NE(back, nullptr) << rerr.describe();
    EXPECT_EQ(back->bytes(), handmade());
    EditSet edits;
    edits.leaveOut(0x24);
    ASSERT_TRUE(saveDocument(*back, edits, target, err)) << err.reason;
    auto edited = readDocument(target, rerr);
    ASSERT_NE(edited, nullptr) << rerr.describe();
    EXPECT_LT(edited->bytes().size(), handmade().size());
    EXPECT_EQ(folder.entries().size(), 1u);  // no temporary file left
#if defined(_WIN32)
    DeleteFileW(widePath(target).c_str());  // the folder's cleanup sees ANSI names only
#endif
}

TEST_F(AtomicSave, MissingFolderLeavesNothing) {
    SaveError err;
    EXPECT_FALSE(saveDocument(*doc, none, folder.file("no/such/folder/out.dxf"), err));
    EXPECT_EQ(err.status, SaveStatus::CannotCreate);
    EXPECT_TRUE(folder.entries().empty());
}

TEST_F(AtomicSave, FailuresKeepTheOldTarget) {
    const std::string target = folder.file("out.dxf");
    spit(target, "old contents");
    struct Case {
        SaveFaults faults;
        SaveStatus status;
    };
    SaveFaults full;
    full.failWriteAtByte = 100;
    SaveFaults empty;
    empty.failWriteAtByte = 0;
    SaveFaults flush;
    flush.failFlush = true;
    SaveFaults rename;
    rename.failRename = true;
    for (const Case& c : {Case{full, SaveStatus::WriteFailed}, Case{empty, SaveStatus::WriteFailed},
                          Case{flush, SaveStatus::FlushFailed}, Case{rename, SaveStatus::RenameFailed}}) {
        SaveError err;
        EXPECT_FALSE(saveDocument(*doc, none, target, err, nullptr, &c.faults));
        EXPECT_EQ(err.status, c.status) << err.reason;
        EXPECT_FALSE(err.reason.empty());
        EXPECT_EQ(slurp(target), "old contents");
        EXPECT_EQ(folder.entries(), (std::vector<std::string>{"out.dxf"}));
    }
}

TEST_F(AtomicSave, FailingProducerLeavesNoTarget) {
    SaveError err;
    EXPECT_FALSE(saveAtomically(
        folder.file("out.dxf"),
        [](Sink& s, std::string& why) {
            s.write("partial", 7);
            why = "gave up";
            return false;
        },
        err));
    EXPECT_EQ(err.reason, "gave up");
    EXPECT_TRUE(folder.entries().empty());
}

TEST_F(AtomicSave, TargetThatIsAFolderIsRefusedCleanly) {
#if defined(_WIN32)
    ASSERT_EQ(mkdir(folder.file("sub").c_str()), 0);  // no modes on Windows
#else
    ASSERT_EQ(mkdir(folder.file("sub").c_str(), 0755), 0);
#endif
    spit(folder.file("sub/keep"), "x");
    SaveError err;
    EXPECT_FALSE(saveDocument(*doc, none, folder.file("sub"), err));
    EXPECT_EQ(err.status, SaveStatus::RenameFailed);
    EXPECT_EQ(folder.entries(), (std::vector<std::string>{"sub"}));
    std::remove(folder.file("sub/keep").c_str());
    rmdir(folder.file("sub").c_str());
}

TEST_F(AtomicSave, SavingOverTheSourceReplacesItInsteadOfWritingIntoIt) {
    const std::string path = folder.file("drawing.dxf");
    spit(path, handmade());
    struct stat before {};
    ASSERT_EQ(stat(path.c_str(), &before), 0);
    ReadError rerr;
    auto src = readDocument(path, rerr);
    ASSERT_NE(src, nullptr) << rerr.describe();
    EditSet edits;
    edits.leaveOut(0x24);
    SaveError err;
    ASSERT_TRUE(saveDocument(*src, edits, path, err)) << err.reason;
    struct stat after {};
    ASSERT_EQ(stat(path.c_str(), &after), 0);
#if !defined(_WIN32)  // Windows has no inode numbers
    EXPECT_NE(before.st_ino, after.st_ino);
#endif
    EXPECT_LT(after.st_size, before.st_size);
    EXPECT_EQ(src->bytes(), handmade());  // the document read is untouched
    EXPECT_EQ(folder.entries(), (std::vector<std::string>{"drawing.dxf"}));
}

TEST_F(AtomicSave, LargeWritesGoThroughIntact) {
    samplegen::Options o;
    o.blocks = 40;
    o.entitiesPerBlock = 60;
    const std::string bytes = samplegen::generateDrawing(o);
    ASSERT_GT(bytes.size(), 1u << 20);  // more than the writer's buffer
    auto big = parseOk(bytes);
    ASSERT_NE(big, nullptr);
    SaveError err;
    ASSERT_TRUE(saveDocument(*big, none, folder.file("big.dxf"), err)) << err.reason;
    EXPECT_TRUE(slurp(folder.file("big.dxf")) == bytes);
    SaveFaults late;
    late.failWriteAtByte = std::int64_t(bytes.size() - 10);
    EXPECT_FALSE(saveDocument(*big, none, folder.file("big.dxf"), err, nullptr, &late));
    EXPECT_TRUE(slurp(folder.file("big.dxf")) == bytes);
    EXPECT_EQ(folder.entries(), (std::vector<std::string>{"big.dxf"}));
}

}  // namespace
}  // namespace vrk::dxf::testing
