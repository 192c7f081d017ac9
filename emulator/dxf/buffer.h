#pragma once
// The bytes of a drawing, in memory of their own (emulator/fs reads a file whole; never a mapping of
// it). They do not change while a Document refers to them.

#include <cstddef>
#include <cstring>
#include <memory>
#include <string_view>

namespace vrk::dxf {

class Buffer {
public:
    Buffer() = default;
    Buffer(std::unique_ptr<char[]> data, std::size_t size) : mData(std::move(data)), mSize(mData ? size : 0) {}

    static Buffer copyOf(std::string_view bytes) {
        if (bytes.empty()) return Buffer();
        std::unique_ptr<char[]> data(new char[bytes.size()]);
        std::memcpy(data.get(), bytes.data(), bytes.size());
        return Buffer(std::move(data), bytes.size());
    }

    const char* data() const { return mData ? mData.get() : ""; }
    std::size_t size() const { return mSize; }

private:
    std::unique_ptr<char[]> mData;
    std::size_t mSize = 0;
};

}  // namespace vrk::dxf
