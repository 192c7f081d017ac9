#pragma once
// The bytes of a drawing: a private read-only mapping of the file, or a heap copy. Either way they do
// not change while a Document refers to them (a save renames a new file over the old one; it never
// writes into it).

#include <cstddef>
#include <string>
#include <string_view>

namespace vrk::dxf {

class Buffer {
public:
    Buffer() = default;
    ~Buffer();
    Buffer(Buffer&& o) noexcept;
    Buffer& operator=(Buffer&& o) noexcept;
    Buffer(const Buffer&) = delete;
    Buffer& operator=(const Buffer&) = delete;

    static Buffer copyOf(std::string_view bytes);
    // Maps an open regular file of the given size; false (errno set) when mapping is not possible.
    static bool map(int fd, std::size_t size, Buffer& out);
    // Reads the whole file into the heap; false (errno set) on a read error.
    static bool read(int fd, std::size_t size, Buffer& out);

    const char* data() const { return data_ ? data_ : ""; }
    std::size_t size() const { return size_; }
    bool mapped() const { return mapped_; }

private:
    void release();
    char* data_ = nullptr;
    std::size_t size_ = 0;
    bool mapped_ = false;
};

}  // namespace vrk::dxf
