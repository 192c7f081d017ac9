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

// A named mutex per file rather than a lock on the file: a handle held open on the drawing would make the
// host's rename over it fail. Like the hosts' save lock, it is taken only by our programs.
DrawingLock::~DrawingLock() {
    if (mHandle == nullptr) return;
    ReleaseMutex(mHandle);
    CloseHandle(mHandle);
}

DrawingLock::State DrawingLock::acquire(const std::filesystem::path& path, std::string& error) {
    const std::optional<std::string> identity = fileIdentity(path);
    if (!identity) {
        error = "cannot open the drawing: " + std::system_category().message(static_cast<int>(GetLastError()));
        return State::Failed;
    }
    const std::string name = "vrkbatch-drawing-" + *identity;
    HANDLE mutex = CreateMutexW(nullptr, FALSE, std::wstring(name.begin(), name.end()).c_str());
    if (mutex == nullptr) {
        error = "cannot lock the drawing: " + std::system_category().message(static_cast<int>(GetLastError()));
        return State::Failed;
    }
    // An abandoned mutex was held by a batch that died: the drawing is free again.
    const DWORD waited = WaitForSingleObject(mutex, 0);
    if (waited == WAIT_OBJECT_0 || waited == WAIT_ABANDONED) {
        mHandle = mutex;
        return State::Held;
    }
    CloseHandle(mutex);
    if (waited == WAIT_TIMEOUT) return State::InUse;
    error = "cannot lock the drawing: " + std::system_category().message(static_cast<int>(GetLastError()));
    return State::Failed;
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
