#pragma once
// What a group code's value is, from the DXF reference's table of group code ranges. Both encodings
// use it: a binary file stores each value in its type's own form, an ASCII file as text.

#include <cstddef>
#include <string_view>

namespace vrk::dxf {

enum class Encoding : unsigned char { Ascii, Binary };

// A binary drawing file starts with these 22 bytes; group codes follow as 2-byte little-endian integers.
constexpr std::string_view kBinarySentinel{"AutoCAD Binary DXF\r\n\x1a\0", 22};

enum class ValueType : unsigned char {
    Unknown,  // no value type defined for the code: a binary file cannot be read past it
    String,   // handles and hex values included; zero-terminated in binary
    Int16,
    Int32,
    Int64,
    Double,
    Bool,   // one byte in binary
    Chunk,  // binary data: a length byte and that many bytes in binary, hex digits in ASCII
};

constexpr ValueType valueTypeOf(int code) noexcept {
    if (code < 0) return ValueType::Unknown;
    if (code <= 9) return ValueType::String;
    if (code <= 59) return ValueType::Double;
    if (code <= 79) return ValueType::Int16;
    if (code <= 89) return ValueType::Unknown;
    if (code <= 99) return ValueType::Int32;
    if (code <= 102) return ValueType::String;  // 101: embedded object marker
    if (code == 105) return ValueType::String;
    if (code <= 109) return ValueType::Unknown;
    if (code <= 149) return ValueType::Double;
    if (code <= 159) return ValueType::Unknown;
    if (code <= 169) return ValueType::Int64;
    if (code <= 179) return ValueType::Int16;
    if (code <= 209) return ValueType::Unknown;
    if (code <= 239) return ValueType::Double;
    if (code <= 269) return ValueType::Unknown;
    if (code <= 289) return ValueType::Int16;
    if (code <= 299) return ValueType::Bool;
    if (code <= 309) return ValueType::String;
    if (code <= 319) return ValueType::Chunk;
    if (code <= 369) return ValueType::String;  // handles and object ids
    if (code <= 389) return ValueType::Int16;
    if (code <= 399) return ValueType::String;
    if (code <= 409) return ValueType::Int16;
    if (code <= 419) return ValueType::String;
    if (code <= 429) return ValueType::Int32;
    if (code <= 439) return ValueType::String;
    if (code <= 459) return ValueType::Int32;
    if (code <= 469) return ValueType::Double;
    if (code <= 481) return ValueType::String;
    if (code == 999) return ValueType::String;  // comment
    if (code < 1000) return ValueType::Unknown;
    if (code == 1004) return ValueType::Chunk;
    if (code <= 1009) return ValueType::String;
    if (code <= 1059) return ValueType::Double;
    if (code <= 1070) return ValueType::Int16;
    if (code == 1071) return ValueType::Int32;
    return ValueType::Unknown;
}

// Group codes whose values are handles of other objects.
constexpr bool isPointerCode(int code) noexcept {
    return (code >= 320 && code <= 369) || (code >= 390 && code <= 399) || code == 480 || code == 481 || code == 1005;
}

// Size of a fixed-size binary value; 0 for strings, chunks and unknown types.
constexpr std::size_t binaryValueSize(ValueType t) noexcept {
    switch (t) {
        case ValueType::Int16: return 2;
        case ValueType::Int32: return 4;
        case ValueType::Int64:
        case ValueType::Double: return 8;
        case ValueType::Bool: return 1;
        default: return 0;
    }
}

}  // namespace vrk::dxf
