#pragma once
// The bytes of a drawing (emulator/fs reads a file whole: the file's own pages kept unchanged, or a
// copy). They do not change while a Document refers to them.

#include <cstddef>
#include <string_view>

#include "emulator/fs/read_file.h"

namespace vrk::dxf {

class Buffer {
public:
    Buffer() = default;
    explicit Buffer(fs::FileBytes bytes) : mBytes(std::move(bytes)) {}

    static Buffer copyOf(std::string_view bytes) { return Buffer(fs::FileBytes::copyOf(bytes)); }

    const char* data() const { return mBytes.data(); }
    std::size_t size() const { return mBytes.size(); }
    bool intact() const { return mBytes.intact(); }

private:
    fs::FileBytes mBytes;
};

}  // namespace vrk::dxf
