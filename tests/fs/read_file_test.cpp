// Reading a file whole: bytes that outlive what happens to the file, and failures told apart.

#include <sys/stat.h>
#if defined(__linux__)
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

#include <csignal>
#include <cstdio>
#include <fstream>

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
    EXPECT_TRUE(read.intact());
}

#if defined(__linux__)
// The system's lease-break time, shortened for one test (root only) and put back.
class ShortLeaseBreakTime {
public:
    ShortLeaseBreakTime() {
        std::ifstream("/proc/sys/fs/lease-break-time") >> mOld;
        mSet = !mOld.empty() && (std::ofstream("/proc/sys/fs/lease-break-time") << "1\n").good();
    }
    ~ShortLeaseBreakTime() {
        if (mSet) std::ofstream("/proc/sys/fs/lease-break-time") << mOld << "\n";
    }
    bool set() const { return mSet; }

private:
    std::string mOld;
    bool mSet = false;
};

// A process that cannot answer a lease break in the system's time (stopped, here: the signal held
// back) answers late, after the other program cut the file short: the bytes count as lost, and
// reading them faults nothing.
TEST(ReadFile, BytesChangedBeforeALateAnswerCountAsLost) {
    ShortLeaseBreakTime shortTime;
    if (!shortTime.set()) GTEST_SKIP() << "cannot shorten /proc/sys/fs/lease-break-time (needs root)";
    TempFolder folder;
    const std::string path = folder.file("drawing.dxf");
    writeFileContents(path, std::string(1 << 20, 'x'));
    FileBytes read;
    ReadFailure failure = ReadFailure::None;
    std::string why;
    ASSERT_TRUE(readWholeFile(path, read, failure, why)) << why;
    ASSERT_TRUE(read.mapped());
    sigset_t io, before;
    sigemptyset(&io);
    sigaddset(&io, SIGIO);
    pthread_sigmask(SIG_BLOCK, &io, &before);
    writeFileContents(path, "short");  // waits out the lease-break time
    pthread_sigmask(SIG_SETMASK, &before, nullptr);
    EXPECT_FALSE(read.intact());
    std::size_t xs = 0;
    for (std::size_t i = 0; i < read.size(); ++i) xs += read.data()[i] == 'x';
    EXPECT_LT(xs, read.size());
}

// Without memory for a copy when the lease breaks, the bytes stay the file's pages, which the other
// program may change: they count as lost. Told in a child, whose address space is capped just above
// what it uses.
TEST(ReadFile, BytesThatCouldNotBeCopiedOnABreakCountAsLost) {
    TempFolder folder;
    const std::string path = folder.file("drawing.dxf");
    writeFileContents(path, std::string(8 << 20, 'x'));
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        FileBytes read;
        ReadFailure failure = ReadFailure::None;
        std::string why;
        if (!readWholeFile(path, read, failure, why) || !read.mapped() || !read.intact()) _exit(2);
        long pages = 0;
        if (std::FILE* pStatm = std::fopen("/proc/self/statm", "r")) {
            if (std::fscanf(pStatm, "%ld", &pages) != 1) pages = 0;
            std::fclose(pStatm);
        }
        const rlimit cap{rlim_t(pages) * rlim_t(sysconf(_SC_PAGESIZE)) + (1 << 20), RLIM_INFINITY};
        if (pages == 0 || setrlimit(RLIMIT_AS, &cap) != 0) _exit(3);
        const int fd = open(path.c_str(), O_WRONLY);  // breaks the lease
        if (fd >= 0) close(fd);
        _exit(read.intact() ? 1 : 0);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status)) << status;
    EXPECT_EQ(WEXITSTATUS(status), 0) << "1: still intact, 2: not read under a lease, 3: no cap";
}
#endif

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
