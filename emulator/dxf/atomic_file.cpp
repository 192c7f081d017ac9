#include "atomic_file.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

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
    static constexpr std::size_t kBufSize = 1 << 20;

    bool writeAll(const char* p, std::size_t n) {
        while (n > 0) {
            std::size_t chunk = n;
            if (faults_ && faults_->failWriteAtByte >= 0) {
                auto limit = std::uint64_t(faults_->failWriteAtByte);
                if (written_ >= limit) return fail(ENOSPC);
                if (written_ + chunk > limit) chunk = std::size_t(limit - written_);
            }
            ssize_t w = ::write(fd_, p, chunk);
            if (w < 0 && errno == EINTR) continue;
            if (w <= 0) return fail(w < 0 ? errno : EIO);
            p += w;
            n -= std::size_t(w);
            written_ += std::uint64_t(w);
        }
        return true;
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
    bool failed_ = false;
    std::string error_;
};

std::string folderOf(const std::string& path) {
    auto slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    if (slash == 0) return "/";
    return path.substr(0, slash);
}

std::string baseOf(const std::string& path) {
    auto slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

bool failWith(SaveError& err, SaveStatus status, std::string reason) {
    err.status = status;
    err.reason = std::move(reason);
    return false;
}

}  // namespace

bool saveAtomically(const std::string& target, const std::function<bool(Sink&, std::string&)>& produce,
                    SaveError& err, const SaveFaults* faults) {
    err = SaveError{};
    const std::string folder = folderOf(target);
    std::string temp = folder + "/." + baseOf(target) + ".vrk-XXXXXX";
    std::vector<char> name(temp.begin(), temp.end());
    name.push_back('\0');
    int fd = ::mkostemp(name.data(), O_CLOEXEC);
    if (fd < 0) {
        return failWith(err, SaveStatus::CannotCreate,
                        "cannot create a file in " + folder + ": " + std::strerror(errno));
    }
    temp.assign(name.data());
    auto abandon = [&](SaveStatus status, std::string reason) {
        ::close(fd);
        ::unlink(temp.c_str());
        return failWith(err, status, std::move(reason));
    };

    // mkstemp creates 0600; give the file what a plain create would (or the old target's mode).
    struct stat old {};
    mode_t mode;
    if (::stat(target.c_str(), &old) == 0) {
        mode = old.st_mode & 07777;
    } else {
        mode_t mask = ::umask(0);
        ::umask(mask);
        mode = 0666 & ~mask;
    }
    ::fchmod(fd, mode);

    FileSink sink(fd, faults);
    std::string why;
    if (!produce(sink, why)) return abandon(SaveStatus::WriteFailed, why.empty() ? sink.error() : why);
    if (!sink.flushBuffer()) return abandon(SaveStatus::WriteFailed, sink.error());
    if ((faults && faults->failFlush) || ::fsync(fd) != 0) {
        return abandon(SaveStatus::FlushFailed, std::string("cannot flush to disk: ") +
                                                    std::strerror(faults && faults->failFlush ? EIO : errno));
    }
    if (::close(fd) != 0) {
        int e = errno;
        ::unlink(temp.c_str());
        return failWith(err, SaveStatus::FlushFailed, std::string("cannot close: ") + std::strerror(e));
    }
    if ((faults && faults->failRename) || ::rename(temp.c_str(), target.c_str()) != 0) {
        int e = faults && faults->failRename ? EIO : errno;
        ::unlink(temp.c_str());
        return failWith(err, SaveStatus::RenameFailed, "cannot replace " + target + ": " + std::strerror(e));
    }
    // Make the rename itself durable; failing here leaves a complete file either way.
    int dfd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dfd >= 0) {
        ::fsync(dfd);
        ::close(dfd);
    }
    return true;
}

bool saveDocument(const Document& doc, const EditSet& edits, const std::string& target, SaveError& err,
                  WriteStats* stats, const SaveFaults* faults) {
    return saveAtomically(
        target, [&](Sink& sink, std::string& why) { return writeDocument(doc, edits, sink, why, stats); },
        err, faults);
}

}  // namespace vrk::dxf
