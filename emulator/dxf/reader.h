#pragma once
// Reading a drawing file (AC1015..AC1032; ASCII with LF or CR LF line ends, or binary) into a Document.

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "document.h"
#include "emulator/fs/file_identity.h"

namespace vrk::dxf {

enum class ReadStatus {
    Ok,
    FileNotFound,  // no such file
    CannotRead,    // exists but cannot be opened or read (a folder, no permission, I/O error)
    Unsupported,   // R12 (AC1009) or another release outside AC1015..AC1032, ASCII or binary
    Malformed,     // not a well-formed drawing file; reason and line say where reading stopped
};

struct ReadError {
    static constexpr std::uint64_t kNoOffset = ~std::uint64_t(0);
    ReadStatus status = ReadStatus::Ok;
    std::string reason;                // one line, no trailing newline
    std::uint64_t line = 0;            // ASCII: 1-based line where reading stopped; 0 when not tied to a line
    std::uint64_t offset = kNoOffset;  // binary: byte offset of the group where reading stopped
    bool dwg = false;                  // the file begins with a DWG release signature (AC1015, AC1032, ...)
    std::string describe() const;      // "line 12: group code is not a number", "byte 96: unknown group code 85"
};

// Reads the file whole (fs::readWholeFile: bytes that stay as read whatever another program does to
// the file) and indexes it. Returns nullptr and fills err on
// failure (the reason does not name the file; the caller does); never throws for bad input
// (std::bad_alloc aside). identity, when given, gets the identity of the file read.
std::unique_ptr<Document> readDocument(const std::string& path, ReadError& err, fs::FileIdentity* identity = nullptr);

// Same, from bytes already in memory (copied); path is only remembered for messages.
std::unique_ptr<Document> parseDocument(std::string_view bytes, ReadError& err, const std::string& path = "");

}  // namespace vrk::dxf
