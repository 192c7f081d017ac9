#include "descriptor_io.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

namespace vrk::fs::io {

int openForReading(const std::string& path) { return ::open(path.c_str(), O_RDONLY | O_CLOEXEC); }

bool describe(int fd, std::uint64_t& size, bool& regular, bool& folder) {
    struct stat st {};
    if (::fstat(fd, &st) != 0) return false;
    size = std::uint64_t(st.st_size);
    regular = S_ISREG(st.st_mode);
    folder = S_ISDIR(st.st_mode);
    return true;
}

long readSome(int fd, char* p, std::size_t n) { return long(::read(fd, p, n)); }

long writeSome(int fd, const char* p, std::size_t n) { return long(::write(fd, p, n)); }

void startWriteback(int fd, std::uint64_t from, std::uint64_t to) {
#ifdef __linux__
    ::sync_file_range(fd, off64_t(from), off64_t(to - from), SYNC_FILE_RANGE_WRITE);
#else
    (void)fd;
    (void)from;
    (void)to;
#endif
}

bool flushToDisk(int fd) { return ::fsync(fd) == 0; }

int closeFile(int fd) { return ::close(fd); }

void prefault(char* p, std::size_t size) {
#if defined(__linux__) && defined(MADV_POPULATE_WRITE)
    const auto page = std::uintptr_t(::sysconf(_SC_PAGESIZE));
    const std::uintptr_t first = (std::uintptr_t(p) + page - 1) & ~(page - 1);
    const std::uintptr_t last = (std::uintptr_t(p) + size) & ~(page - 1);
    if (last > first) ::madvise(reinterpret_cast<void*>(first), last - first, MADV_POPULATE_WRITE);
#else
    (void)p;
    (void)size;
#endif
}

}  // namespace vrk::fs::io
