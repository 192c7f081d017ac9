#include "atomic_file.h"

#include <time.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>

#include <memory>
#include <vector>
#ifdef _WIN32
#include <io.h>

#include "win_path.h"
#else
#include <unistd.h>
#endif

#include "save_backup.h"
#include "save_lock.h"
#include "signal_cleanup.h"

namespace vrk::dxf {

namespace {

// Buffered writes to a file descriptor; spans larger than the buffer go straight through.
class FileSink : public Sink {
public:
    FileSink(int fd, const SaveFaults* faults) : fd_(fd), faults_(faults) { buf_.reserve(kBufSize); }

    bool write(const char* p, std::size_t n) override {
        if (failed_) return false;
        if (buf_.size() + n <= kBufSize) {
            buf_.insert(buf_.end(), p, p + n);
            return true;
        }
        if (!flushBuffer()) return false;
        if (n >= kBufSize) return writeAll(p, n);
        buf_.insert(buf_.end(), p, p + n);
        return true;
    }

    bool flushBuffer() {
        if (buf_.empty()) return !failed_;
        bool ok = writeAll(buf_.data(), buf_.size());
        buf_.clear();
        return ok;
    }

    std::string error() const override { return error_; }

private:
    static constexpr std::size_t kBufSize = 1 << 18;
    static constexpr std::uint64_t kWritebackStep = 8 << 20;

    bool writeAll(const char* p, std::size_t n) {
        while (n > 0) {
            std::size_t chunk = n;
            if (faults_ && faults_->failWriteAtByte >= 0) {
                auto limit = std::uint64_t(faults_->failWriteAtByte);
                if (written_ >= limit) return fail(ENOSPC);
                if (written_ + chunk > limit) chunk = std::size_t(limit - written_);
            }
#ifdef _WIN32
            int w = ::_write(fd_, p, unsigned(std::min<std::size_t>(chunk, 1u << 30)));
#else
            ssize_t w = ::write(fd_, p, chunk);
#endif
            if (w < 0 && errno == EINTR) continue;
            if (w <= 0) return fail(w < 0 ? errno : EIO);
            p += w;
            n -= std::size_t(w);
            written_ += std::uint64_t(w);
        }
        startWriteback();
        return true;
    }
    // Hands what is written so far to the disk without waiting: the flush before the rename then has
    // little left to wait for.
    void startWriteback() {
#ifdef __linux__
        if (written_ - handedToDisk_ < kWritebackStep) return;
        ::sync_file_range(fd_, off64_t(handedToDisk_), off64_t(written_ - handedToDisk_), SYNC_FILE_RANGE_WRITE);
        handedToDisk_ = written_;
#endif
    }
    bool fail(int e) {
        failed_ = true;
        error_ = std::string("cannot write: ") + std::strerror(e);
        return false;
    }

    int fd_;
    const SaveFaults* faults_;
    std::vector<char> buf_;
    std::uint64_t written_ = 0;
    std::uint64_t handedToDisk_ = 0;
    bool failed_ = false;
    std::string error_;
};

bool failWith(SaveError& err, SaveStatus status, std::string reason) {
    err.status = status;
    err.reason = std::move(reason);
    return false;
}

// A short name for the temporary file: the target's own name may already be as long as names go.
std::string temporaryName(const std::string& folder) {
    static unsigned counter = 0;
    char unique[32];
#ifdef _WIN32
    std::snprintf(unique, sizeof(unique), "%lx%x%llx", GetCurrentProcessId(), ++counter,
                  (unsigned long long)GetTickCount64() & 0xFFFFF);
#else
    struct timespec now {};
    ::clock_gettime(CLOCK_MONOTONIC, &now);
    std::snprintf(unique, sizeof(unique), "%x%x%lx", unsigned(::getpid()), ++counter, long(now.tv_nsec) & 0xFFFFF);
#endif
    return inFolder(folder, std::string(".vrk-") + unique);
}

// Writes the drawing into the open temporary file and flushes it to disk.
SaveError fillAndFlush(int fd, const std::function<bool(Sink&, std::string&)>& produce, const SaveFaults* faults) {
    FileSink sink(fd, faults);
    std::string why;
    if (!produce(sink, why)) return {SaveStatus::WriteFailed, why.empty() ? sink.error() : why};
    if (!sink.flushBuffer()) return {SaveStatus::WriteFailed, sink.error()};
    const std::string cannotFlush = "cannot flush to disk: ";
    if (faults && faults->failFlush) return {SaveStatus::FlushFailed, cannotFlush + std::strerror(EIO)};
#ifdef _WIN32
    if (::_commit(fd) != 0) return {SaveStatus::FlushFailed, cannotFlush + std::strerror(errno)};
#else
    if (::fsync(fd) != 0) return {SaveStatus::FlushFailed, cannotFlush + std::strerror(errno)};
#endif
    return {};
}

const char kChangedOnDisk[] =
    "the file was changed on disk by another program since it was read; save under another name, or open it "
    "again";
const char kAppeared[] = "a file appeared there while the drawing was being saved and was left alone";

std::string cannotPutInPlace(const std::string& why) {
    return "cannot put the new file in place: " + why;
}

#ifdef _WIN32
// False with the system's reason; exists tells a file that is already there.
bool moveInPlace(const std::string& temp, const std::string& target, bool replace, bool& exists,
                 std::string& why) {
    const DWORD flags = MOVEFILE_WRITE_THROUGH | (replace ? MOVEFILE_REPLACE_EXISTING : 0);
    if (MoveFileExW(widePath(temp).c_str(), widePath(target).c_str(), flags)) return true;
    const DWORD e = GetLastError();
    exists = e == ERROR_ALREADY_EXISTS || e == ERROR_FILE_EXISTS;
    why = windowsError(e);
    return false;
}
#else
bool moveInPlace(const std::string& temp, const std::string& target, bool replace, bool& exists,
                 std::string& why) {
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
#endif

// Renames the complete temporary file over place under the save lock, after the checks; on failure
// temp is still there for the caller to remove.
bool putInPlace(const std::string& temp, const SaveTarget& place, SaveChecks* checks,
                const SaveFaults* faults, SaveError& err) {
    if (faults && faults->failRename)
        return failWith(err, SaveStatus::RenameFailed, cannotPutInPlace(std::strerror(EIO)));
    const bool expected = checks != nullptr && checks->unchanged != nullptr;
    std::unique_ptr<SaveLock> lock;
    // The path may lead to another file once the lock is had (a save that held it replaced the file):
    // that one is locked in turn, unless a particular file was expected.
    for (int attempt = 0; place.exists && attempt < 100; ++attempt) {
        lock = std::make_unique<SaveLock>();
        bool vanished = false;
        std::string why;
        if (!lock->acquire(place.path, why, vanished)) {
            lock.reset();
            if (vanished) break;
            return failWith(err, SaveStatus::RenameFailed, cannotPutInPlace(why));
        }
        if (lock->stillAt(place.path)) break;
        lock.reset();
        if (expected) break;
    }
    if (expected && (lock == nullptr || lock->locked() != *checks->unchanged))
        return failWith(err, SaveStatus::Changed, kChangedOnDisk);
    if (lock != nullptr && checks != nullptr && !checks->backup.empty()) {
        std::string why;
        if (!makeBackup(*lock, place.path, checks->backup, checks->numberedBackup, checks->backupMade, why))
            return failWith(err, SaveStatus::NoBackup, why);
    }
    bool exists = false;
    std::string why;
    if (!moveInPlace(temp, place.path, lock != nullptr, exists, why))
        return failWith(err, exists ? SaveStatus::Changed : SaveStatus::RenameFailed,
                        exists ? std::string(kAppeared) : cannotPutInPlace(why));
    return true;
}

}  // namespace

#ifdef _WIN32
bool saveAtomically(const std::string& target, const std::function<bool(Sink&, std::string&)>& produce,
                    SaveError& err, const SaveFaults* faults, FileIdentity* saved, SaveChecks* checks) {
    err = SaveError{};
    if (checks) checks->backupMade.clear();
    SaveTarget place;
    std::string refusal;
    if (!resolveSaveTarget(target, place, refusal)) return failWith(err, SaveStatus::Refused, refusal);
    if (checks && checks->absent && place.exists) return failWith(err, SaveStatus::Changed, kAppeared);
    const std::string folder = folderOf(place.path);
    std::string temp;
    std::string cause;
    int fd = -1;
    for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
        temp = temporaryName(folder);
        // Open for deleting, so that a console Ctrl+C can remove it while it is written.
        HANDLE h =
            CreateFileW(widePath(temp).c_str(), GENERIC_WRITE | DELETE, FILE_SHARE_READ | FILE_SHARE_DELETE,
                        nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (h == INVALID_HANDLE_VALUE) {
            const DWORD e = GetLastError();
            cause = windowsError(e);
            if (e != ERROR_FILE_EXISTS && e != ERROR_ALREADY_EXISTS) break;
            continue;
        }
        fd = ::_open_osfhandle(reinterpret_cast<intptr_t>(h), _O_WRONLY | _O_BINARY);
        if (fd < 0) {
            cause = std::strerror(errno);
            CloseHandle(h);
            break;
        }
    }
    if (fd < 0)
        return failWith(err, SaveStatus::CannotCreate, "cannot create a file in " + folder + ": " + cause);
    RemoveOnSignal guard(temp);
    const std::wstring wideTemp = widePath(temp);
    auto abandon = [&](SaveStatus status, std::string reason) {
        ::_close(fd);
        ::_wunlink(wideTemp.c_str());
        return failWith(err, status, std::move(reason));
    };

    SaveError filled = fillAndFlush(fd, produce, faults);
    if (filled.status != SaveStatus::Ok) return abandon(filled.status, std::move(filled.reason));
    if (::_close(fd) != 0) {
        int e = errno;
        ::_wunlink(wideTemp.c_str());
        return failWith(err, SaveStatus::FlushFailed, std::string("cannot close: ") + std::strerror(e));
    }
    // A hidden or system file stays one.
    if (place.attributes != 0) SetFileAttributesW(wideTemp.c_str(), place.attributes);
    if (!putInPlace(temp, place, checks, faults, err)) {
        SetFileAttributesW(wideTemp.c_str(), FILE_ATTRIBUTE_NORMAL);
        ::_wunlink(wideTemp.c_str());
        return false;
    }
    // Asked after the move: the last write time may settle only when the file is closed.
    if (saved) identifyFile(place.path, *saved);
    return true;
}
#else
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
        temp = temporaryName(folder);
        if (::linkat(AT_FDCWD, self.c_str(), AT_FDCWD, temp.c_str(), AT_SYMLINK_FOLLOW) == 0) return true;
        // Without /proc the descriptor itself can be linked (where the process may).
        if (errno == ENOENT && ::linkat(fd, "", AT_FDCWD, temp.c_str(), AT_EMPTY_PATH) == 0) return true;
        if (errno != EEXIST) return false;
    }
    return false;
}

}  // namespace

bool saveAtomically(const std::string& target, const std::function<bool(Sink&, std::string&)>& produce,
                    SaveError& err, const SaveFaults* faults, FileIdentity* saved, SaveChecks* checks) {
    err = SaveError{};
    if (checks) checks->backupMade.clear();
    SaveTarget place;
    std::string refusal;
    if (!resolveSaveTarget(target, place, refusal)) return failWith(err, SaveStatus::Refused, refusal);
    if (checks && checks->absent && place.exists) return failWith(err, SaveStatus::Changed, kAppeared);
    const std::string folder = folderOf(place.path);

    std::string temp;  // the temporary file's name, once it has one
    std::unique_ptr<RemoveOnSignal> guard;
    int fd = openUnnamed(folder, faults);
    if (fd < 0 && (errno == EOPNOTSUPP || errno == EISDIR || errno == EINVAL)) {
        for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
            temp = temporaryName(folder);
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
    SaveError filled = fillAndFlush(fd, produce, faults);
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
    if (!putInPlace(temp, place, checks, faults, err)) {
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
#endif
bool saveDocument(const Document& doc, const EditSet& edits, const std::string& target, SaveError& err,
                  WriteStats* stats, const SaveFaults* faults, FileIdentity* saved, SaveChecks* checks) {
    return saveAtomically(
        target, [&](Sink& sink, std::string& why) { return writeDocument(doc, edits, sink, why, stats); },
        err, faults, saved, checks);
}

}  // namespace vrk::dxf
