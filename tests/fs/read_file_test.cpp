// Reading a file whole: a copy that outlives what happens to the file, and failures told apart.

#include <sys/stat.h>

#include "emulator/fs/read_file.h"
#include "test_support.h"

namespace vrk::fs::testing {
namespace {

// The bytes are a copy: cutting the file short after reading (another program rewriting it in place)
// leaves them whole, where a mapping of the file would fault.
TEST(ReadFile, BytesOutliveTheFileBeingCutShort) {
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
    writeFileContents(path, "");
    EXPECT_TRUE(std::string(read.data.get(), read.size) == bytes);
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
