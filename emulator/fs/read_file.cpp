#include "read_file.h"

#include <cerrno>
#include <cstdint>
#include <cstring>

#include "descriptor_io.h"
#include "refusals.h"

namespace vrk::fs {

namespace {

bool readAll(int fd, std::size_t size, FileBytes& out) {
    FileBytes b;
    if (size > 0) {
        b.data.reset(new char[size]);  // not zero-filled: every byte is overwritten
        io::prefault(b.data.get(), size);
    }
    b.size = size;
    std::size_t got = 0;
    while (got < size) {
        const long n = io::readSome(fd, b.data.get() + got, size - got);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            if (n == 0) errno = EIO;  // the file shrank under us
            return false;
        }
        got += std::size_t(n);
    }
    out = std::move(b);
    return true;
}

}  // namespace

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
    const bool ok = readAll(fd, std::size_t(size), out);
    const int e = errno;
    io::closeFile(fd);
    if (!ok) {
        failure = ReadFailure::CannotRead;
        reason = std::strerror(e);
        return false;
    }
    return true;
}

}  // namespace vrk::fs
