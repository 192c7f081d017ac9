#include "save_lock.h"

#include <cerrno>
#include <cstring>
#include <cwchar>
#ifdef _WIN32
#include <io.h>

#include "win_path.h"
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace vrk::dxf {

#ifdef _WIN32
SaveLock::~SaveLock() {
    if (handle_ == -1) return;
    HANDLE h = reinterpret_cast<HANDLE>(handle_);
    ReleaseMutex(h);
    CloseHandle(h);
}

bool SaveLock::acquire(const std::string& path, std::string& reason, bool& vanished) {
    vanished = false;
    FileIdentity id;
    if (!identifyFile(path, id)) {
        const DWORD e = GetLastError();
        vanished = e == ERROR_FILE_NOT_FOUND || e == ERROR_PATH_NOT_FOUND;
        reason = windowsError(e);
        return false;
    }
    wchar_t name[64];
    swprintf(name, sizeof(name) / sizeof(name[0]), L"vrk-save-%llx-%llx", (unsigned long long)id.device,
             (unsigned long long)id.inode);
    HANDLE h = CreateMutexW(nullptr, FALSE, name);
    if (h == nullptr) {
        reason = "cannot lock it: " + windowsError(GetLastError());
        return false;
    }
    // An abandoned mutex was held by a save that died; the file is checked below either way.
    const DWORD waited = WaitForSingleObject(h, INFINITE);
    if (waited != WAIT_OBJECT_0 && waited != WAIT_ABANDONED) {
        reason = "cannot lock it: " + windowsError(GetLastError());
        CloseHandle(h);
        return false;
    }
    handle_ = reinterpret_cast<std::intptr_t>(h);
    FileIdentity now;
    locked_ = identifyFile(path, now) && now.sameFileAs(id) ? now : id;
    return true;
}
#else
SaveLock::~SaveLock() {
    // Closing the last descriptor of the open file description releases its lock.
    if (handle_ >= 0) ::close(int(handle_));
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
    if (rc != 0 || !identifyOpenFile(fd, locked_)) {
        reason = std::string("cannot lock it: ") + std::strerror(errno);
        ::close(fd);
        return false;
    }
    handle_ = fd;
    return true;
}
#endif

bool SaveLock::stillAt(const std::string& path) const {
    FileIdentity now;
    return identifyFile(path, now) && now.sameFileAs(locked_);
}

}  // namespace vrk::dxf
