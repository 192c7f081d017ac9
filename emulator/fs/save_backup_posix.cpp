#include "save_backup_platform.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <vector>

#include "paths.h"

namespace vrk::fs::backup {

namespace {

std::string descriptorPath(std::intptr_t fd) { return "/proc/self/fd/" + std::to_string(fd); }

bool copyAll(int from, int to) {
    std::vector<char> buffer(1 << 16);
    for (;;) {
        const ssize_t n = ::read(from, buffer.data(), buffer.size());
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return n == 0;
        for (ssize_t done = 0; done < n;) {
            const ssize_t w = ::write(to, buffer.data() + done, std::size_t(n - done));
            if (w < 0 && errno == EINTR) continue;
            if (w <= 0) return false;
            done += w;
        }
    }
}

}  // namespace

Made linkTo(const SaveLock& lock, const std::string& path, const std::string& name, std::string& reason) {
    // Through the descriptor, so that the link is to the file locked whatever path leads to now.
    if (::linkat(AT_FDCWD, descriptorPath(lock.handle()).c_str(), AT_FDCWD, name.c_str(), AT_SYMLINK_FOLLOW) == 0 ||
        (errno == ENOENT && ::link(path.c_str(), name.c_str()) == 0))
        return Made::Yes;
    const int e = errno;
    if (e == EEXIST) return Made::Exists;
    reason = std::strerror(e);
    return e == EXDEV || e == EPERM || e == EMLINK || e == EOPNOTSUPP || e == EACCES ? Made::CannotLink : Made::Failed;
}

// A copy in an unnamed file, named only once complete; where the file system has no unnamed files it
// is made under name itself, exclusively, and removed again when it fails.
Made copyTo(const SaveLock&, const std::string& path, const std::string& name, std::string& reason) {
    const int from = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
    struct stat st {};
    if (from < 0 || ::fstat(from, &st) != 0) {
        reason = std::strerror(errno);
        if (from >= 0) ::close(from);
        return Made::Failed;
    }
    bool named = false;
#ifdef O_TMPFILE
    int to = ::open(folderOf(name).c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0600);
#else
    int to = -1;
#endif
    if (to < 0) {
        to = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
        named = true;
    }
    if (to < 0) {
        const int e = errno;
        ::close(from);
        if (e == EEXIST) return Made::Exists;
        reason = std::strerror(e);
        return Made::Failed;
    }
    bool ok = copyAll(from, to) && ::fchmod(to, st.st_mode & 07777) == 0 && ::fsync(to) == 0;
    int e = errno;
    if (ok && !named &&
        ::linkat(AT_FDCWD, descriptorPath(to).c_str(), AT_FDCWD, name.c_str(), AT_SYMLINK_FOLLOW) != 0) {
        e = errno;
        ok = false;
    }
    ::close(from);
    ::close(to);
    if (ok) return Made::Yes;
    if (named) ::unlink(name.c_str());
    if (e == EEXIST) return Made::Exists;
    reason = std::strerror(e);
    return Made::Failed;
}

// A regular file at name (not a link to one) that is the locked file.
bool isLockedFile(const SaveLock& lock, const std::string& name) {
    struct stat st {};
    return ::lstat(name.c_str(), &st) == 0 && S_ISREG(st.st_mode) && std::uint64_t(st.st_dev) == lock.locked().device &&
           std::uint64_t(st.st_ino) == lock.locked().inode;
}

}  // namespace vrk::fs::backup
