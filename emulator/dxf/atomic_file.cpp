#include "atomic_file.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <vector>
#ifdef _WIN32
#include <io.h>

#include "win_path.h"
#else
#include <unistd.h>
#endif

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

#ifdef _WIN32
const char kSeparators[] = "/\\";
#else
const char kSeparators[] = "/";
#endif

std::string folderOf(const std::string& path) {
    auto slash = path.find_last_of(kSeparators);
    if (slash == std::string::npos) return ".";
    if (slash == 0) return "/";
    return path.substr(0, slash);
}

std::string baseOf(const std::string& path) {
    auto slash = path.find_last_of(kSeparators);
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

bool failWith(SaveError& err, SaveStatus status, std::string reason) {
    err.status = status;
    err.reason = std::move(reason);
    return false;
}

#ifdef _WIN32
std::string windowsError(DWORD code) {
    char text[512] = {};
    DWORD n = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code, 0, text,
                             sizeof(text), nullptr);
    while (n > 0 && (text[n - 1] == '\n' || text[n - 1] == '\r' || text[n - 1] == ' ' || text[n - 1] == '.'))
        text[--n] = '\0';
    return n > 0 ? std::string(text) : "error " + std::to_string(code);
}
#endif

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

}  // namespace

#ifdef _WIN32
// No mkostemp: try unique names until one is created exclusively; MoveFileExW replaces the target.
bool saveAtomically(const std::string& target, const std::function<bool(Sink&, std::string&)>& produce,
                    SaveError& err, const SaveFaults* faults) {
    err = SaveError{};
    const std::string folder = folderOf(target);
    static volatile LONG counter = 0;
    std::string temp;
    int fd = -1;
    for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
        char unique[64];
        std::snprintf(unique, sizeof(unique), "%lx-%lx-%llx", GetCurrentProcessId(),
                      (unsigned long)InterlockedIncrement(&counter), (unsigned long long)GetTickCount64());
        temp = folder + "/." + baseOf(target) + ".vrk-" + unique;
        fd = ::_wopen(widePath(temp).c_str(), _O_WRONLY | _O_CREAT | _O_EXCL | _O_BINARY | _O_NOINHERIT,
                      _S_IREAD | _S_IWRITE);
        if (fd < 0 && errno != EEXIST) break;
    }
    if (fd < 0) {
        return failWith(err, SaveStatus::CannotCreate,
                        "cannot create a file in " + folder + ": " + std::strerror(errno));
    }
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
    if ((faults && faults->failRename) ||
        !MoveFileExW(wideTemp.c_str(), widePath(target).c_str(),
                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        std::string cause = faults && faults->failRename ? std::strerror(EIO) : windowsError(GetLastError());
        ::_wunlink(wideTemp.c_str());
        return failWith(err, SaveStatus::RenameFailed, "cannot replace " + target + ": " + cause);
    }
    return true;
}
#else
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

    SaveError filled = fillAndFlush(fd, produce, faults);
    if (filled.status != SaveStatus::Ok) return abandon(filled.status, std::move(filled.reason));
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
#endif

bool saveDocument(const Document& doc, const EditSet& edits, const std::string& target, SaveError& err,
                  WriteStats* stats, const SaveFaults* faults) {
    return saveAtomically(
        target, [&](Sink& sink, std::string& why) { return writeDocument(doc, edits, sink, why, stats); },
        err, faults);
}

}  // namespace vrk::dxf
