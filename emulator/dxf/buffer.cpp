#include "buffer.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstring>
#ifdef _WIN32
#include <io.h>
#else
#include <sys/mman.h>
#include <unistd.h>
#endif

namespace vrk::dxf {

Buffer::~Buffer() {
    release();
}

Buffer::Buffer(Buffer&& o) noexcept : data_(o.data_), size_(o.size_), mapped_(o.mapped_) {
    o.data_ = nullptr;
    o.size_ = 0;
    o.mapped_ = false;
}

Buffer& Buffer::operator=(Buffer&& o) noexcept {
    if (this != &o) {
        release();
        data_ = o.data_;
        size_ = o.size_;
        mapped_ = o.mapped_;
        o.data_ = nullptr;
        o.size_ = 0;
        o.mapped_ = false;
    }
    return *this;
}

void Buffer::release() {
    if (!data_) return;
#ifndef _WIN32
    if (mapped_)
        ::munmap(data_, size_);
    else
#endif
        delete[] data_;
    data_ = nullptr;
}

Buffer Buffer::copyOf(std::string_view bytes) {
    Buffer b;
    if (bytes.empty()) return b;
    b.data_ = new char[bytes.size()];
    std::memcpy(b.data_, bytes.data(), bytes.size());
    b.size_ = bytes.size();
    return b;
}

bool Buffer::map(int fd, std::size_t size, Buffer& out) {
    if (size == 0) {
        out = Buffer();
        return true;
    }
#ifdef _WIN32
    // No mapping on Windows: the caller falls back to reading.
    (void)fd;
    return false;
#else
    void* p = ::mmap(nullptr, size, PROT_READ, MAP_PRIVATE | MAP_POPULATE, fd, 0);
    if (p == MAP_FAILED) return false;
    ::madvise(p, size, MADV_SEQUENTIAL);
    out.release();
    out.data_ = static_cast<char*>(p);
    out.size_ = size;
    out.mapped_ = true;
    return true;
#endif
}

namespace {

// Backs a fresh block with memory in one call rather than a page fault per 4 KB as read() fills it;
// under a hypervisor each fault costs microseconds. Where the system cannot, the faults happen anyway.
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

}  // namespace

bool Buffer::read(int fd, std::size_t size, Buffer& out) {
    Buffer b;
    if (size > 0) {
        b.data_ = new char[size];  // not zero-filled: every byte is overwritten
        prefault(b.data_, size);
    }
    b.size_ = size;
    std::size_t got = 0;
    while (got < size) {
#ifdef _WIN32
        // _read takes an unsigned count; read in chunks under INT_MAX.
        const std::size_t want = std::min<std::size_t>(size - got, 1u << 30);
        int n = ::_read(fd, b.data_ + got, unsigned(want));
#else
        ssize_t n = ::read(fd, b.data_ + got, size - got);
#endif
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

}  // namespace vrk::dxf
