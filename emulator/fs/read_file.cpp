#include "read_file.h"

#include <cerrno>
#include <cstdint>
#include <cstring>

#include "descriptor_io.h"
#include "file_snapshot.h"
#include "refusals.h"

namespace vrk::fs {

namespace {

bool readAll(int fd, char* p, std::size_t size) {
    io::prefault(p, size);
    std::size_t got = 0;
    while (got < size) {
        const long n = io::readSome(fd, p + got, size - got);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            if (n == 0) errno = EIO;  // the file shrank under us
            return false;
        }
        got += std::size_t(n);
    }
    return true;
}

}  // namespace

FileBytes::FileBytes() = default;
FileBytes::FileBytes(FileBytes&&) noexcept = default;
FileBytes& FileBytes::operator=(FileBytes&&) noexcept = default;
FileBytes::~FileBytes() = default;
bool FileBytes::intact() const { return mpSnapshot == nullptr || mpSnapshot->intact(); }

char* FileBytes::allocateCopy(std::size_t size) {
    mCopy.reset(new char[size]);  // not zero-filled: every byte is overwritten
    mData = mCopy.get();
    mSize = size;
    return mCopy.get();
}

FileBytes FileBytes::copyOf(std::string_view bytes) {
    FileBytes b;
    if (!bytes.empty()) std::memcpy(b.allocateCopy(bytes.size()), bytes.data(), bytes.size());
    return b;
}

bool readWholeFile(const std::string& path, FileBytes& out, ReadFailure& failure, std::string& reason,
                   FileIdentity* identity) {
    failure = ReadFailure::None;
    const int fd = io::openForReading(path);
    if (fd < 0) {
        const int e = errno;
        failure = (e == ENOENT || e == ENOTDIR) ? ReadFailure::NotFound : ReadFailure::CannotRead;
        reason = std::strerror(e);
        return false;
    }
    std::uint64_t size = 0;
    bool regular = false, folder = false;
    if (!io::describe(fd, size, regular, folder) || !regular) {
        io::closeFile(fd);
        failure = ReadFailure::CannotRead;
        reason = folder ? kIsFolder : "it is not a regular file";
        return false;
    }
    if (identity) identifyOpenFile(fd, *identity);
    FileBytes b;
    const std::size_t n = std::size_t(size);
    b.mpSnapshot = n > 0 ? FileSnapshot::take(fd, n) : nullptr;
    bool ok = true;
    if (b.mpSnapshot) {
        b.mData = b.mpSnapshot->data();
        b.mSize = n;
    } else if (n > 0) {
        ok = readAll(fd, b.allocateCopy(n), n);
    }
    const int e = errno;
    io::closeFile(fd);
    if (!ok) {
        failure = ReadFailure::CannotRead;
        reason = std::strerror(e);
        return false;
    }
    out = std::move(b);
    return true;
}

}  // namespace vrk::fs
