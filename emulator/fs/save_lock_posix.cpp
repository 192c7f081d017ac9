#include "save_lock.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <thread>

namespace vrk::fs {

namespace {

// The byte a save locks: far beyond any drawing's end.
constexpr std::uint64_t kSaveLockOffset = 0x4000000000000000ull;

// Opening for writing a file that a reader holds under a read lease (read_file.h: this host, or another
// one with the drawing open) asks the reader to let go, which takes it a moment to keep its bytes; a
// non-blocking open meanwhile says EWOULDBLOCK. The system takes a lease back by itself after its
// lease-break time (45 s by default), so the wait ends.
int openForLocking(const std::string& path) {
    const auto giveUp = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    for (int attempt = 0;; ++attempt) {
        // Write access, which the lock needs; no blocking open of a pipe put there meanwhile.
        const int fd = ::open(path.c_str(), O_WRONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
        if (fd >= 0 || errno != EWOULDBLOCK || std::chrono::steady_clock::now() > giveUp) return fd;
        std::this_thread::sleep_for(std::chrono::milliseconds(attempt < 10 ? 1 : 10));
    }
}

}  // namespace

SaveLock::~SaveLock() {
    // Closing the last descriptor of the open file description releases its lock.
    if (mHandle >= 0) ::close(int(mHandle));
}

bool SaveLock::acquire(const std::string& path, std::string& reason, bool& vanished) {
    vanished = false;
    const int fd = openForLocking(path);
    if (fd < 0) {
        vanished = errno == ENOENT;
        reason = std::strerror(errno);
        return false;
    }
    struct flock byte {};
    byte.l_type = F_WRLCK;
    byte.l_whence = SEEK_SET;
    byte.l_start = off_t(kSaveLockOffset);
    byte.l_len = 1;
    int rc;
    while ((rc = ::fcntl(fd, F_OFD_SETLKW, &byte)) != 0 && errno == EINTR) {
    }
    if (rc != 0 || !identifyOpenFile(fd, mLocked)) {
        reason = std::string("cannot lock it: ") + std::strerror(errno);
        ::close(fd);
        return false;
    }
    mHandle = fd;
    return true;
}

}  // namespace vrk::fs
