// Saves that fail for real, not by injection: a disk that fills up and a folder that cannot be written.
// The old target stays as it was, no temporary file is left, and the file read is never touched.

#include <sys/stat.h>
#include <unistd.h>

#include "emulator/fs/read_file.h"
#include "test_support.h"
#include "tests/support/small_tmpfs.h"

namespace vrk::fs::testing {
namespace {

constexpr unsigned kDiskKb = 64;

class RealSaveFault : public ::testing::Test {
protected:
    void SetUp() override {
        for (int i = 0; bytes.size() < 5u * kDiskKb * 1024; ++i) bytes += "line " + std::to_string(i) + "\r\n";
        ASSERT_GT(bytes.size(), 4u * kDiskKb * 1024);  // cannot fit on the small disk
        source = sourceFolder.file("source.dxf");
        writeFileContents(source, bytes);
        ASSERT_EQ(stat(source.c_str(), &sourceBefore), 0);
        ReadFailure failure;
        std::string why;
        ASSERT_TRUE(readWholeFile(source, read, failure, why)) << why;
    }

    void expectSourceUntouched() {
        struct stat now {};
        ASSERT_EQ(stat(source.c_str(), &now), 0);
#if defined(_WIN32)
        // No inode numbers nor nanosecond times on Windows.
        EXPECT_EQ(now.st_mtime, sourceBefore.st_mtime);
#else
        EXPECT_EQ(now.st_ino, sourceBefore.st_ino);
        EXPECT_EQ(now.st_mtim.tv_sec, sourceBefore.st_mtim.tv_sec);
        EXPECT_EQ(now.st_mtim.tv_nsec, sourceBefore.st_mtim.tv_nsec);
#endif
        EXPECT_TRUE(fileContents(source) == bytes);
        EXPECT_TRUE(std::string(read.data(), read.size()) == bytes);
    }

    TempFolder sourceFolder;
    std::string bytes;
    std::string source;
    struct stat sourceBefore {};
    FileBytes read;
};

TEST_F(RealSaveFault, FullDiskKeepsTheOldTargetAndLeavesNoTemporaryFile) {
    vrk::test::SmallTmpfs disk(kDiskKb);
    if (!disk.mounted()) GTEST_SKIP() << disk.why();
    const std::string target = disk.file("out.dxf");
    writeFileContents(target, "old contents");
    SaveError err;
    EXPECT_FALSE(save(bytes, target, err));
    EXPECT_EQ(err.status, SaveStatus::WriteFailed) << err.reason;
    EXPECT_NE(err.reason.find("No space left"), std::string::npos) << err.reason;
    EXPECT_EQ(fileContents(target), "old contents");
    EXPECT_EQ(disk.entries(), (std::vector<std::string>{"out.dxf"}));
    expectSourceUntouched();
}

TEST_F(RealSaveFault, FullDiskWithoutAnOldTargetLeavesNothing) {
    vrk::test::SmallTmpfs disk(kDiskKb);
    if (!disk.mounted()) GTEST_SKIP() << disk.why();
    SaveError err;
    EXPECT_FALSE(save(bytes, disk.file("out.dxf"), err));
    EXPECT_EQ(err.status, SaveStatus::WriteFailed) << err.reason;
    EXPECT_TRUE(disk.entries().empty());
    // The space is given back: a drawing that fits still saves there.
    EXPECT_TRUE(save(kContent, disk.file("out.dxf"), err)) << err.reason;
    expectSourceUntouched();
}

TEST_F(RealSaveFault, ReadOnlyFolderRefusesBeforeWriting) {
    vrk::test::SmallTmpfs disk(kDiskKb);
    if (!disk.mounted()) GTEST_SKIP() << disk.why();
    const std::string target = disk.file("out.dxf");
    writeFileContents(target, "old contents");
    if (!disk.makeReadOnly()) GTEST_SKIP() << disk.why();
    SaveError err;
    EXPECT_FALSE(save(bytes, target, err));
    EXPECT_EQ(err.status, SaveStatus::CannotCreate) << err.reason;
    EXPECT_EQ(fileContents(target), "old contents");
    EXPECT_EQ(disk.entries(), (std::vector<std::string>{"out.dxf"}));
    expectSourceUntouched();
}

// Without root, file modes are enough to make a folder unwritable (root passes them by).
TEST_F(RealSaveFault, FolderWithoutWritePermission) {
#if defined(_WIN32)
    GTEST_SKIP() << "a folder's read-only mode does not stop writing into it on Windows";
#else
    if (geteuid() == 0) GTEST_SKIP() << "root writes whatever the modes say; the read-only mount covers it";
#endif
    TempFolder folder;
    const std::string target = folder.file("out.dxf");
    writeFileContents(target, "old contents");
    ASSERT_EQ(chmod(folder.path().c_str(), 0555), 0);
    SaveError err;
    const bool saved = save(bytes, target, err);
    chmod(folder.path().c_str(), 0755);
    EXPECT_FALSE(saved);
    EXPECT_EQ(err.status, SaveStatus::CannotCreate) << err.reason;
    EXPECT_EQ(fileContents(target), "old contents");
    EXPECT_EQ(folder.entries(), (std::vector<std::string>{"out.dxf"}));
    expectSourceUntouched();
}

// Saving onto the source's own name on a full disk: the source is the old target and must survive.
TEST_F(RealSaveFault, FullDiskSavingOverTheSourceKeepsIt) {
    vrk::test::SmallTmpfs disk(kDiskKb * 8);
    if (!disk.mounted()) GTEST_SKIP() << disk.why();
    const std::string& mid = bytes;
    ASSERT_GT(mid.size(), kDiskKb * 8 * 1024 / 2);  // the source and a second copy do not both fit
    ASSERT_LT(mid.size(), kDiskKb * 8 * 1024);
    const std::string path = disk.file("drawing.dxf");
    writeFileContents(path, mid);
    ASSERT_TRUE(fileContents(path) == mid) << "the source itself did not fit";
    SaveError err;
    EXPECT_FALSE(save(mid, path, err));
    EXPECT_EQ(err.status, SaveStatus::WriteFailed) << err.reason;
    EXPECT_TRUE(fileContents(path) == mid);
    EXPECT_EQ(disk.entries(), (std::vector<std::string>{"drawing.dxf"}));
}

}  // namespace
}  // namespace vrk::fs::testing
