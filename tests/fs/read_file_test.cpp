// Reading a file whole: bytes that outlive what happens to the file, and failures told apart.

#include <sys/stat.h>

#include <cstdio>

#include "emulator/fs/read_file.h"
#include "test_support.h"

namespace vrk::fs::testing {
namespace {

// The bytes stay as read whatever another program does to the file meanwhile: rewriting it in place
// (a plain mapping would show the new bytes) or cutting it short (a plain mapping would fault).
TEST(ReadFile, BytesStayAsReadWhenTheFileChanges) {
    TempFolder folder;
    const std::string path = folder.file("drawing.dxf");
    const std::string bytes = kContent + std::string(1 << 20, 'x');
    writeFileContents(path, bytes);
    FileBytes read;
    ReadFailure failure = ReadFailure::CannotRead;
    std::string why;
    FileIdentity identity;
    ASSERT_TRUE(readWholeFile(path, read, failure, why, &identity)) << why;
    EXPECT_EQ(failure, ReadFailure::None);
    EXPECT_EQ(identity.size, bytes.size());
#if defined(__linux__)
    EXPECT_TRUE(read.mapped());  // a file of one's own, on a local disk
#endif
    std::FILE* pInPlace = std::fopen(path.c_str(), "r+b");
    ASSERT_NE(pInPlace, nullptr);
    const std::string other(bytes.size(), 'y');
    EXPECT_EQ(std::fwrite(other.data(), 1, other.size(), pInPlace), other.size());
    std::fclose(pInPlace);
    EXPECT_TRUE(std::string(read.data(), read.size()) == bytes);
    writeFileContents(path, "");
    EXPECT_TRUE(std::string(read.data(), read.size()) == bytes);
}

TEST(ReadFile, FailuresSayWhy) {
    TempFolder folder;
#if defined(_WIN32)
    ASSERT_EQ(mkdir(folder.file("sub").c_str()), 0);
#else
    ASSERT_EQ(mkdir(folder.file("sub").c_str(), 0755), 0);
#endif
    struct Case {
        const char* name;
        ReadFailure failure;
        const char* reason;
    };
    for (const Case& c : {
             Case{"missing.dxf", ReadFailure::NotFound, ""}, Case{"missing/drawing.dxf", ReadFailure::NotFound, ""},
#if defined(_WIN32)
                 Case {
                 "sub", ReadFailure::CannotRead, ""
             }
         }) {  // the C runtime opens no folder
#else
                          Case{"sub", ReadFailure::CannotRead, "folder"}}) {
#endif
        SCOPED_TRACE(c.name);
        FileBytes read;
        ReadFailure failure = ReadFailure::None;
        std::string why;
        EXPECT_FALSE(readWholeFile(folder.file(c.name), read, failure, why));
        EXPECT_EQ(failure, c.failure);
        EXPECT_NE(why.find(c.reason), std::string::npos) << why;
        EXPECT_FALSE(why.empty());
    }
}

}  // namespace
}  // namespace vrk::fs::testing
