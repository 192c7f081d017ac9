#include "save_lock.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace vrk::fs {

namespace {

// The byte a save locks: far beyond any drawing's end.
constexpr std::uint64_t kSaveLockOffset = 0x4000000000000000ull;

}  // namespace

SaveLock::~SaveLock() {
    // Closing the last descriptor of the open file description releases its lock.
    if (mHandle >= 0) ::close(int(mHandle));
}

bool SaveLock::acquire(const std::string& path, std::string& reason, bool& vanished) {
    vanished = false;
    // Write access, which the lock needs; no blocking open of a pipe put there meanwhile.
    const int fd = ::open(path.c_str(), O_WRONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
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
