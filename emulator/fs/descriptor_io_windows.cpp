#include "descriptor_io.h"

#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>

#include <algorithm>

#include "win_path.h"

namespace vrk::fs::io {

namespace {

// _read and _write take an unsigned count: chunks under INT_MAX.
unsigned chunk(std::size_t n) { return unsigned(std::min<std::size_t>(n, 1u << 30)); }

}  // namespace

int openForReading(const std::string& path) {
    return ::_wopen(widePath(path).c_str(), _O_RDONLY | _O_BINARY | _O_NOINHERIT);
}

bool describe(int fd, std::uint64_t& size, bool& regular, bool& folder) {
    struct _stat64 st {};
    if (::_fstat64(fd, &st) != 0) return false;
    size = std::uint64_t(st.st_size);
    regular = S_ISREG(st.st_mode);
    folder = S_ISDIR(st.st_mode);
    return true;
}

long readSome(int fd, char* p, std::size_t n) { return ::_read(fd, p, chunk(n)); }

long writeSome(int fd, const char* p, std::size_t n) { return ::_write(fd, p, chunk(n)); }

void startWriteback(int, std::uint64_t, std::uint64_t) {}

bool flushToDisk(int fd) { return ::_commit(fd) == 0; }

int closeFile(int fd) { return ::_close(fd); }

void prefault(char*, std::size_t) {}

}  // namespace vrk::fs::io
