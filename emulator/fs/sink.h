#pragma once
// Where bytes are written to: a file being saved (atomic_file.h), memory, or a test double. The DXF
// writer writes into one; this library knows nothing of what the bytes are.

#include <cstddef>
#include <string>

namespace vrk::fs {

class Sink {
public:
    virtual ~Sink() = default;
    // Appends n bytes. False on failure; error() then says why. Large spans are passed in one call.
    virtual bool write(const char* p, std::size_t n) = 0;
    virtual std::string error() const { return "write failed"; }
};

class StringSink : public Sink {
public:
    bool write(const char* p, std::size_t n) override {
        data.append(p, n);
        return true;
    }
    std::string data;
};

}  // namespace vrk::fs
