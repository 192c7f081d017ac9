// Saving replaces the target in one step or not at all.

#include <sys/stat.h>
#include <unistd.h>
#if !defined(_WIN32)
#include <signal.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <sys/wait.h>
#endif

#include "emulator/fs/read_file.h"
#if defined(_WIN32)
#include "emulator/fs/win_path.h"
#endif
#include "test_support.h"

namespace vrk::fs::testing {
namespace {

class AtomicSave : public ::testing::Test {
protected:
    TempFolder folder;
};

TEST_F(AtomicSave, WritesTheTargetAndNothingElse) {
    SaveError err;
    ASSERT_TRUE(save(kContent, folder.file("out.dxf"), err)) << err.reason;
    EXPECT_EQ(fileContents(folder.file("out.dxf")), kContent);
    EXPECT_EQ(folder.entries(), (std::vector<std::string>{"out.dxf"}));
    struct stat st {};
    ASSERT_EQ(stat(folder.file("out.dxf").c_str(), &st), 0);
    EXPECT_NE(st.st_mode & 0444, 0u);  // readable, not mkstemp's private 0600 only
}

// Paths are UTF-8 everywhere: a name outside any ANSI code page saves, replaces and reads back.
TEST_F(AtomicSave, NonAsciiNameSavesAndReadsBack) {
    const std::string target = folder.file("Zeichnung-\xC3\xBC\xE4\xB8\xAD.dxf");  // ü, 中
    SaveError err;
    ASSERT_TRUE(save(kContent, target, err)) << err.reason;
    FileBytes back;
    ReadFailure failure;
    std::string why;
    ASSERT_TRUE(readWholeFile(target, back, failure, why)) << why;
    EXPECT_EQ(std::string(back.data(), back.size()), kContent);
    ASSERT_TRUE(save("shorter", target, err)) << err.reason;
    ASSERT_TRUE(readWholeFile(target, back, failure, why)) << why;
    EXPECT_EQ(std::string(back.data(), back.size()), "shorter");
    EXPECT_EQ(folder.entries().size(), 1u);  // no temporary file left
#if defined(_WIN32)
    DeleteFileW(widePath(target).c_str());  // the folder's cleanup sees ANSI names only
#endif
}

TEST_F(AtomicSave, MissingFolderLeavesNothing) {
    SaveError err;
    EXPECT_FALSE(save(kContent, folder.file("no/such/folder/out.dxf"), err));
    EXPECT_EQ(err.status, SaveStatus::CannotCreate);
    EXPECT_TRUE(folder.entries().empty());
}

TEST_F(AtomicSave, FailuresKeepTheOldTarget) {
    const std::string target = folder.file("out.dxf");
    writeFileContents(target, "old contents");
    struct Case {
        SaveFaults faults;
        SaveStatus status;
    };
    SaveFaults full;
    full.failWriteAtByte = 10;
    SaveFaults empty;
    empty.failWriteAtByte = 0;
    SaveFaults flush;
    flush.failFlush = true;
    SaveFaults rename;
    rename.failRename = true;
    for (const Case& c : {Case{full, SaveStatus::WriteFailed}, Case{empty, SaveStatus::WriteFailed},
                          Case{flush, SaveStatus::FlushFailed}, Case{rename, SaveStatus::RenameFailed}}) {
        SaveError err;
        EXPECT_FALSE(save(kContent, target, err, &c.faults));
        EXPECT_EQ(err.status, c.status) << err.reason;
        EXPECT_FALSE(err.reason.empty());
        EXPECT_EQ(fileContents(target), "old contents");
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

// A folder (named with or without a slash), a pipe, a socket or a read-only file is refused and left
// as it was; nothing is made beside it.
TEST_F(AtomicSave, RefusesWhatIsNotAWritableRegularFile) {
#if defined(_WIN32)
    ASSERT_EQ(mkdir(folder.file("sub").c_str()), 0);  // no modes on Windows
#else
    ASSERT_EQ(mkdir(folder.file("sub").c_str(), 0755), 0);
    ASSERT_EQ(mkfifo(folder.file("pipe").c_str(), 0644), 0);
    const int sock = socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::snprintf(address.sun_path, sizeof(address.sun_path), "%s", folder.file("socket").c_str());
    ASSERT_EQ(bind(sock, reinterpret_cast<sockaddr*>(&address), sizeof(address)), 0);
#endif
    writeFileContents(folder.file("sub/keep"), "x");
    writeFileContents(folder.file("readonly.dxf"), "old contents");
    ASSERT_EQ(chmod(folder.file("readonly.dxf").c_str(), S_IREAD), 0);
    const auto before = folder.entries();
    struct Case {
        const char* name;
        const char* reason;
    };
    for (const Case& c : {
             Case{"sub", "folder"}, Case{"sub/", "folder"}, Case{"readonly.dxf", "read-only"},
#if !defined(_WIN32)
                 Case{"pipe", "not a regular file"}, Case{"socket", "not a regular file"},
#endif
         }) {
        SCOPED_TRACE(c.name);
        SaveError err;
        EXPECT_FALSE(save(kContent, folder.file(c.name), err));
        EXPECT_EQ(err.status, SaveStatus::Refused);
        EXPECT_NE(err.reason.find(c.reason), std::string::npos) << err.reason;
        EXPECT_EQ(folder.entries(), before);
        EXPECT_EQ(vrk::test::folderEntries(folder.file("sub")), (std::vector<std::string>{"keep"}));
    }
    EXPECT_EQ(fileContents(folder.file("readonly.dxf")), "old contents");
#if !defined(_WIN32)
    close(sock);
    struct stat st {};
    ASSERT_EQ(lstat(folder.file("pipe").c_str(), &st), 0);
    EXPECT_TRUE(S_ISFIFO(st.st_mode));
#endif
    chmod(folder.file("readonly.dxf").c_str(), S_IREAD | S_IWRITE);  // so that the folder can go
}

// The file read stays as it was: the save makes a new file, and a hard link to the old one or a copy
// read before keeps the old content.
TEST_F(AtomicSave, SavingOverTheSourceReplacesItInsteadOfWritingIntoIt) {
    const std::string path = folder.file("drawing.dxf");
    const std::string old(300000, 'o');
    writeFileContents(path, old);
    FileIdentity before;
    FileBytes read;
    ReadFailure failure;
    std::string why;
    ASSERT_TRUE(readWholeFile(path, read, failure, why, &before)) << why;
    SaveError err;
    ASSERT_TRUE(save(kContent, path, err)) << err.reason;
    FileIdentity after;
    ASSERT_TRUE(identifyFile(path, after));
    EXPECT_FALSE(after.sameFileAs(before));
    EXPECT_EQ(fileContents(path), kContent);
    EXPECT_TRUE(std::string(read.data(), read.size()) == old);
    EXPECT_EQ(folder.entries(), (std::vector<std::string>{"drawing.dxf"}));
}

TEST_F(AtomicSave, LargeWritesGoThroughIntact) {
    std::string bytes;
    for (int i = 0; bytes.size() < (3u << 20); ++i) bytes += std::to_string(i) + (i % 7 ? "\n" : "\r\n");
    SaveError err;
    ASSERT_TRUE(save(bytes, folder.file("big.dxf"), err)) << err.reason;
    EXPECT_TRUE(fileContents(folder.file("big.dxf")) == bytes);
    SaveFaults late;
    late.failWriteAtByte = std::int64_t(bytes.size() - 10);
    EXPECT_FALSE(save(bytes, folder.file("big.dxf"), err, &late));
    EXPECT_TRUE(fileContents(folder.file("big.dxf")) == bytes);
    EXPECT_EQ(folder.entries(), (std::vector<std::string>{"big.dxf"}));
}

// The temporary file's name is short: a target whose name is as long as names go still saves, with an
// unnamed temporary file and with a named one.
TEST_F(AtomicSave, LongestNameSaves) {
    const std::string target = folder.file(std::string(250, 'n') + ".dxf");
    const SaveFaults unnamed;
    SaveFaults named;
    named.noUnnamedFile = true;
    for (const SaveFaults* faults : {&unnamed, static_cast<const SaveFaults*>(&named)}) {
        SaveError err;
        EXPECT_TRUE(save(kContent, target, err, faults)) << err.reason;
        EXPECT_EQ(fileContents(target), kContent);
        EXPECT_EQ(folder.entries().size(), 1u);
    }
}

#if defined(_WIN32)
TEST_F(AtomicSave, SymbolicLinksAndPermissionBits) {
    GTEST_SKIP() << "making symbolic links needs a privilege on Windows, and files have no permission bits";
}
TEST_F(AtomicSave, InterruptedSaveLeavesNothing) { GTEST_SKIP() << "no fork and no kill -9 on Windows"; }
#else
// A save through a link writes the file the link leads to, in that file's folder, and the link stays;
// a link to a file not made yet makes it there. The new file keeps the old one's permission bits, and
// is a new file: a hard link to the old one keeps the old content.
TEST_F(AtomicSave, SymbolicLinksAndPermissionBits) {
    ASSERT_EQ(mkdir(folder.file("real").c_str(), 0755), 0);
    const std::string real = folder.file("real/drawing.dxf");
    writeFileContents(real, "old contents");
    ASSERT_EQ(chmod(real.c_str(), 0640), 0);
    const bool mayGiveAway = geteuid() == 0;  // only root may hand a file to another owner
    if (mayGiveAway) {
        ASSERT_EQ(chown(real.c_str(), 65534, 65534), 0);
    }
    ASSERT_EQ(link(real.c_str(), folder.file("hardlink").c_str()), 0);
    ASSERT_EQ(symlink("real/drawing.dxf", folder.file("link.dxf").c_str()), 0);
    ASSERT_EQ(symlink("link.dxf", folder.file("chain.dxf").c_str()), 0);
    ASSERT_EQ(symlink("real/new.dxf", folder.file("dangling.dxf").c_str()), 0);
    for (const char* name : {"chain.dxf", "dangling.dxf"}) {
        SaveError err;
        ASSERT_TRUE(save(kContent, folder.file(name), err)) << err.reason;
    }
    EXPECT_EQ(fileContents(real), kContent);
    EXPECT_EQ(fileContents(folder.file("real/new.dxf")), kContent);
    EXPECT_EQ(fileContents(folder.file("hardlink")), "old contents");
    struct stat st {};
    for (const char* name : {"link.dxf", "chain.dxf", "dangling.dxf"}) {
        ASSERT_EQ(lstat(folder.file(name).c_str(), &st), 0);
        EXPECT_TRUE(S_ISLNK(st.st_mode)) << name;
    }
    ASSERT_EQ(stat(real.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0640u);
    if (mayGiveAway) {
        EXPECT_EQ(st.st_uid, 65534u);
    }
    EXPECT_EQ(folder.entries(),
              (std::vector<std::string>{"chain.dxf", "dangling.dxf", "hardlink", "link.dxf", "real"}));
    EXPECT_EQ(vrk::test::folderEntries(folder.file("real")), (std::vector<std::string>{"drawing.dxf", "new.dxf"}));
}

// A save stopped by a signal while the new content is being written leaves the old target and nothing
// else: kill -9 with the unnamed temporary file, the catchable signals with the named one.
TEST_F(AtomicSave, InterruptedSaveLeavesNothing) {
    const std::string target = folder.file("out.dxf");
    writeFileContents(target, "old contents");
    struct Case {
        int signal;
        bool named;
    };
    for (const Case& c : {Case{SIGKILL, false}, Case{SIGINT, true}, Case{SIGTERM, true}, Case{SIGHUP, true}}) {
        SCOPED_TRACE(c.signal);
        const pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            SaveFaults faults;
            faults.noUnnamedFile = c.named;
            SaveError err;
            saveAtomically(
                target,
                [&](Sink& sink, std::string&) {
                    sink.write("partial", 7);
                    raise(c.signal);
                    return true;
                },
                err, &faults);
            _exit(0);
        }
        int status = 0;
        ASSERT_EQ(waitpid(child, &status, 0), child);
        EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == c.signal);
        EXPECT_EQ(fileContents(target), "old contents");
        EXPECT_EQ(folder.entries(), (std::vector<std::string>{"out.dxf"}));
    }
}
#endif

}  // namespace
}  // namespace vrk::fs::testing
