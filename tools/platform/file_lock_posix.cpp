#include "tools/platform/file_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace vrk::platform {

namespace {

// A name given to a new file between the open and the lock (another program saved it) is opened again.
const int kAttempts = 5;

}  // namespace

FileLock::~FileLock() {
    if (mHandle >= 0) close(static_cast<int>(mHandle));
}

FileLock::State FileLock::acquire(const std::filesystem::path& path, std::string& error) {
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
            mHandle = fd;
            return State::Held;
        }
        close(fd);
    }
    return State::InUse;
}

}  // namespace vrk::platform
