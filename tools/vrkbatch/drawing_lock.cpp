#include "tools/vrkbatch/drawing_lock.h"

#include "tools/vrkbatch/file_names.h"

#if defined(_WIN32)
#include <windows.h>

#include <system_error>
#else
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#endif

namespace vrk::batch {

namespace {

// A name given to a new file between the open and the lock (another run saved it) is opened again.
const int kAttempts = 5;

}  // namespace

#if defined(_WIN32)

// One byte far beyond any drawing's end, so that the lock never stops anyone reading or writing the
// file; the hosts' save lock takes the byte before it.
const DWORD kLockOffsetHigh = 0x40000000;
const DWORD kLockOffsetLow = 0x00000001;

DrawingLock::~DrawingLock() {
    if (mHandle != nullptr) CloseHandle(mHandle);
}

DrawingLock::State DrawingLock::acquire(const std::filesystem::path& path, std::string& error) {
    for (int attempt = 0; attempt < kAttempts; ++attempt) {
        HANDLE file = CreateFileW(systemName(path).c_str(), GENERIC_READ,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file == INVALID_HANDLE_VALUE) {
            error = "cannot open the drawing: " + std::system_category().message(static_cast<int>(GetLastError()));
            return State::Failed;
        }
        OVERLAPPED at = {};
        at.Offset = kLockOffsetLow;
        at.OffsetHigh = kLockOffsetHigh;
        if (!LockFileEx(file, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0, &at)) {
            const DWORD reason = GetLastError();
            CloseHandle(file);
            if (reason == ERROR_LOCK_VIOLATION || reason == ERROR_IO_PENDING) return State::InUse;
            error = "cannot lock the drawing: " + std::system_category().message(static_cast<int>(reason));
            return State::Failed;
        }
        const std::optional<std::string> held = handleIdentity(file);
        if (held && held == fileIdentity(path)) {
            mHandle = file;
            return State::Held;
        }
        CloseHandle(file);
    }
    return State::InUse;
}

#else

DrawingLock::~DrawingLock() {
    if (mFd >= 0) close(mFd);
}

DrawingLock::State DrawingLock::acquire(const std::filesystem::path& path, std::string& error) {
    for (int attempt = 0; attempt < kAttempts; ++attempt) {
        // Read-only and non-blocking: a pipe named as a drawing does not hang the batch.
        const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
        if (fd < 0) {
            error = std::string("cannot open the drawing: ") + std::strerror(errno);
            return State::Failed;
        }
        if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
            const int reason = errno;
            close(fd);
            if (reason == EWOULDBLOCK) return State::InUse;
            error = std::string("cannot lock the drawing: ") + std::strerror(reason);
            return State::Failed;
        }
        struct stat held, named;
        if (fstat(fd, &held) == 0 && stat(path.c_str(), &named) == 0 && held.st_dev == named.st_dev &&
            held.st_ino == named.st_ino) {
            mFd = fd;
            return State::Held;
        }
        close(fd);
    }
    return State::InUse;
}

#endif

}  // namespace vrk::batch
