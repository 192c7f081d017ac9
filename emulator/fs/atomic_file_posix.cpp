#include <fcntl.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>

#include "atomic_save_parts.h"
#include "signal_cleanup.h"

namespace vrk::fs {

namespace save {

std::string temporaryName(const std::string& folder) {
    static unsigned counter = 0;
    char unique[32];
    struct timespec now {};
    ::clock_gettime(CLOCK_MONOTONIC, &now);
    std::snprintf(unique, sizeof(unique), "%x%x%lx", unsigned(::getpid()), ++counter, long(now.tv_nsec) & 0xFFFFF);
    return inFolder(folder, std::string(".vrk-") + unique);
}

bool moveInPlace(const std::string& temp, const std::string& target, bool replace, bool& exists, std::string& why) {
    int rc = replace ? ::rename(temp.c_str(), target.c_str())
                     : ::renameat2(AT_FDCWD, temp.c_str(), AT_FDCWD, target.c_str(), RENAME_NOREPLACE);
    // A file system without RENAME_NOREPLACE: a second hard link cannot replace anything either.
    if (rc != 0 && !replace && (errno == EINVAL || errno == ENOSYS)) {
        rc = ::link(temp.c_str(), target.c_str());
        if (rc == 0) ::unlink(temp.c_str());
    }
    if (rc == 0) return true;
    exists = errno == EEXIST;
    why = std::strerror(errno);
    return false;
}

}  // namespace save

using save::failWith;

namespace {

// The new file's permission bits, owner and group: the old target's, or what a plain create gives.
void takeOverAttributes(int fd, const SaveTarget& place) {
    mode_t mode;
    if (place.exists) {
        mode = mode_t(place.mode);
        // Giving the file away may not be allowed; keeping the group alone may be.
        if ((uid_t(place.owner) != ::geteuid() || gid_t(place.group) != ::getegid()) &&
            ::fchown(fd, uid_t(place.owner), gid_t(place.group)) != 0)
            (void)!::fchown(fd, uid_t(-1), gid_t(place.group));
    } else {
        mode_t mask = ::umask(0);
        ::umask(mask);
        mode = 0666 & ~mask;
    }
    ::fchmod(fd, mode);  // after fchown, which clears the set-id bits
}

// An unnamed file in folder, or -1 with errno; EOPNOTSUPP, EISDIR and EINVAL say the file system or
// kernel has no such files.
int openUnnamed(const std::string& folder, const SaveFaults* faults) {
    if (faults && faults->noUnnamedFile) {
        errno = EOPNOTSUPP;
        return -1;
    }
#ifdef O_TMPFILE
    return ::open(folder.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0600);
#else
    errno = EOPNOTSUPP;
    return -1;
#endif
}

// Gives the complete unnamed file a temporary name in folder.
bool nameUnnamed(int fd, const std::string& folder, std::string& temp) {
    const std::string self = "/proc/self/fd/" + std::to_string(fd);
    for (int attempt = 0; attempt < 100; ++attempt) {
        temp = save::temporaryName(folder);
        if (::linkat(AT_FDCWD, self.c_str(), AT_FDCWD, temp.c_str(), AT_SYMLINK_FOLLOW) == 0) return true;
        // Without /proc the descriptor itself can be linked (where the process may).
        if (errno == ENOENT && ::linkat(fd, "", AT_FDCWD, temp.c_str(), AT_EMPTY_PATH) == 0) return true;
        if (errno != EEXIST) return false;
    }
    return false;
}

}  // namespace

bool saveAtomically(const std::string& target, const Produce& produce, SaveError& err, const SaveFaults* faults,
                    FileIdentity* saved, SaveChecks* checks) {
    SaveTarget place;
    if (!save::beginSave(target, err, checks, place)) return false;
    const std::string folder = folderOf(place.path);

    std::string temp;  // the temporary file's name, once it has one
    std::unique_ptr<RemoveOnSignal> guard;
    int fd = openUnnamed(folder, faults);
    if (fd < 0 && (errno == EOPNOTSUPP || errno == EISDIR || errno == EINVAL)) {
        for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
            temp = save::temporaryName(folder);
            fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
            if (fd < 0 && errno != EEXIST) break;
        }
        if (fd >= 0) guard = std::make_unique<RemoveOnSignal>(temp);
    }
    if (fd < 0) {
        return failWith(err, SaveStatus::CannotCreate,
                        "cannot create a file in " + folder + ": " + std::strerror(errno));
    }
    auto abandon = [&](SaveStatus status, std::string reason) {
        ::close(fd);
        if (!temp.empty()) ::unlink(temp.c_str());
        return failWith(err, status, std::move(reason));
    };

    takeOverAttributes(fd, place);
    SaveError filled = save::fillAndFlush(fd, produce, faults);
    if (filled.status != SaveStatus::Ok) return abandon(filled.status, std::move(filled.reason));
    if (saved) identifyOpenFile(fd, *saved);
    // From here to the rename the file has a name: a kill -9 in this short window leaves it.
    if (temp.empty()) {
        if (!nameUnnamed(fd, folder, temp)) {
            const int e = errno;
            temp.clear();
            return abandon(SaveStatus::CannotCreate, "cannot create a file in " + folder + ": " + std::strerror(e));
        }
        guard = std::make_unique<RemoveOnSignal>(temp);
    }
    if (::close(fd) != 0) {
        int e = errno;
        ::unlink(temp.c_str());
        return failWith(err, SaveStatus::FlushFailed, std::string("cannot close: ") + std::strerror(e));
    }
    if (!save::putInPlace(temp, place, checks, faults, err)) {
        ::unlink(temp.c_str());
        return false;
    }
    guard.reset();
    // Make the rename itself durable; failing here leaves a complete file either way.
    int dfd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dfd >= 0) {
        ::fsync(dfd);
        ::close(dfd);
    }
    return true;
}

}  // namespace vrk::fs
