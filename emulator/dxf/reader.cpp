#include "reader.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#ifdef _WIN32
#include <io.h>

#include "win_path.h"
#else
#include <unistd.h>
#endif

#include "document_builder.h"
#include "save_target.h"

namespace vrk::dxf {

std::string ReadError::describe() const {
    if (line != 0) return "line " + std::to_string(line) + ": " + reason;
    if (offset != kNoOffset) return "byte " + std::to_string(offset) + ": " + reason;
    return reason;
}

namespace {

std::unique_ptr<Document> finish(Buffer bytes, const std::string& path, ReadError& err) {
    auto doc = std::make_unique<Document>();
    DocumentBuilder builder(*doc, err);
    if (!builder.build(std::move(bytes), path)) return nullptr;
    return doc;
}

}  // namespace

std::unique_ptr<Document> readDocument(const std::string& path, ReadError& err, ReadMode mode,
                                       FileIdentity* identity) {
    err = ReadError{};
#ifdef _WIN32
    int fd = ::_wopen(widePath(path).c_str(), _O_RDONLY | _O_BINARY | _O_NOINHERIT);
#else
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
#endif
    if (fd < 0) {
        int e = errno;
        err.status = (e == ENOENT || e == ENOTDIR) ? ReadStatus::FileNotFound : ReadStatus::CannotRead;
        err.reason = std::strerror(e);
        return nullptr;
    }
#ifdef _WIN32
    struct _stat64 st {};
    if (::_fstat64(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
#else
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
#endif
        ::close(fd);
        err.status = ReadStatus::CannotRead;
        err.reason = S_ISDIR(st.st_mode) ? "it is a folder, not a drawing file" : "it is not a regular file";
        return nullptr;
    }
    if (identity) identifyOpenFile(fd, *identity);
    const auto size = std::size_t(st.st_size);
    Buffer bytes;
    bool ok = mode == ReadMode::Map && Buffer::map(fd, size, bytes);
    if (!ok) ok = Buffer::read(fd, size, bytes);
    const int e = errno;
    ::close(fd);
    if (!ok) {
        err.status = ReadStatus::CannotRead;
        err.reason = std::strerror(e);
        return nullptr;
    }
    return finish(std::move(bytes), path, err);
}

std::unique_ptr<Document> parseDocument(std::string_view bytes, ReadError& err, const std::string& path) {
    err = ReadError{};
    return finish(Buffer::copyOf(bytes), path, err);
}

}  // namespace vrk::dxf
