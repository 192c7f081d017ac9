#include "atomic_save_parts.h"

#include <cerrno>
#include <cstring>
#include <memory>
#include <vector>

#include "descriptor_io.h"
#include "save_backup.h"
#include "save_lock.h"

namespace vrk::fs::save {

namespace {

// Buffered writes to a file descriptor; spans larger than the buffer go straight through.
class FileSink : public Sink {
public:
    FileSink(int fd, const SaveFaults* faults) : mFd(fd), mFaults(faults) { mBuf.reserve(kBufSize); }

    bool write(const char* p, std::size_t n) override {
        if (mFailed) return false;
        if (mBuf.size() + n <= kBufSize) {
            mBuf.insert(mBuf.end(), p, p + n);
            return true;
        }
        if (!flushBuffer()) return false;
        if (n >= kBufSize) return writeAll(p, n);
        mBuf.insert(mBuf.end(), p, p + n);
        return true;
    }

    bool flushBuffer() {
        if (mBuf.empty()) return !mFailed;
        bool ok = writeAll(mBuf.data(), mBuf.size());
        mBuf.clear();
        return ok;
    }

    std::string error() const override { return mError; }

private:
    static constexpr std::size_t kBufSize = 1 << 18;
    static constexpr std::size_t kWriteStep = 1 << 20;
    static constexpr std::uint64_t kWritebackStep = 8 << 20;

    bool writeAll(const char* p, std::size_t n) {
        while (n > 0) {
            // A long span goes a megabyte at a time: single writes of several megabytes from a large
            // buffer were seen to stall for up to a second, and the disk gets each step as it is written.
            std::size_t chunk = n < kWriteStep ? n : kWriteStep;
            if (mFaults && mFaults->failWriteAtByte >= 0) {
                auto limit = std::uint64_t(mFaults->failWriteAtByte);
                if (mWritten >= limit) return fail(ENOSPC);
                if (mWritten + chunk > limit) chunk = std::size_t(limit - mWritten);
            }
            const long w = io::writeSome(mFd, p, chunk);
            if (w < 0 && errno == EINTR) continue;
            if (w <= 0) return fail(w < 0 ? errno : EIO);
            p += w;
            n -= std::size_t(w);
            mWritten += std::uint64_t(w);
            startWriteback();
        }
        return true;
    }
    // Hands what is written so far to the disk without waiting: the flush before the rename then has
    // little left to wait for.
    void startWriteback() {
        if (mWritten - mHandedToDisk < kWritebackStep) return;
        io::startWriteback(mFd, mHandedToDisk, mWritten);
        mHandedToDisk = mWritten;
    }
    bool fail(int e) {
        mFailed = true;
        mError = std::string("cannot write: ") + std::strerror(e);
        return false;
    }

    int mFd;
    const SaveFaults* mFaults;
    std::vector<char> mBuf;
    std::uint64_t mWritten = 0;
    std::uint64_t mHandedToDisk = 0;
    bool mFailed = false;
    std::string mError;
};

const char kChangedOnDisk[] =
    "the file was changed on disk by another program since it was read; save under another name, or open it "
    "again";

std::string cannotPutInPlace(const std::string& why) { return "cannot put the new file in place: " + why; }

const char kAppeared[] = "a file appeared there while the drawing was being saved and was left alone";

}  // namespace

bool failWith(SaveError& err, SaveStatus status, std::string reason) {
    err.status = status;
    err.reason = std::move(reason);
    return false;
}

bool beginSave(const std::string& target, SaveError& err, SaveChecks* checks, SaveTarget& place) {
    err = SaveError{};
    if (checks) checks->backupMade.clear();
    std::string refusal;
    if (!resolveSaveTarget(target, place, refusal)) return failWith(err, SaveStatus::Refused, refusal);
    if (checks && checks->absent && place.exists) return failWith(err, SaveStatus::Changed, kAppeared);
    return true;
}

SaveError fillAndFlush(int fd, const Produce& produce, const SaveFaults* faults) {
    FileSink sink(fd, faults);
    std::string why;
    if (!produce(sink, why)) return {SaveStatus::WriteFailed, why.empty() ? sink.error() : why};
    if (!sink.flushBuffer()) return {SaveStatus::WriteFailed, sink.error()};
    const std::string cannotFlush = "cannot flush to disk: ";
    if (faults && faults->failFlush) return {SaveStatus::FlushFailed, cannotFlush + std::strerror(EIO)};
    if (!io::flushToDisk(fd)) return {SaveStatus::FlushFailed, cannotFlush + std::strerror(errno)};
    return {};
}

bool putInPlace(const std::string& temp, const SaveTarget& place, SaveChecks* checks, const SaveFaults* faults,
                SaveError& err) {
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

}  // namespace vrk::fs::save
