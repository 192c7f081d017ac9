#pragma once
// One group (code and value) of a drawing file, ASCII or binary, and a reader that walks a byte range
// tag by tag without allocating: values are views into the caller's buffer.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string_view>

#include "group_codes.h"
#include "handle.h"

namespace vrk::dxf {

constexpr int kMaxGroupCode = 1071;

struct Tag {
    int code = 0;
    // ASCII: the value line without its line end. Binary: the value's bytes as stored (a string without
    // its terminator, a chunk without its length byte, numbers little-endian): see integerValue.
    std::string_view value;
    std::size_t begin = 0;  // offset of the group code
    std::size_t valueBegin = 0;
    std::size_t end = 0;     // offset just past the value (and its line end, or its terminator)
    std::uint64_t line = 0;  // ASCII: 1-based line number of the group-code line; binary: 0
    bool binary = false;

    // Line end of the value line as read ("\n", "\r\n" or empty at the end of the data).
    std::string_view valueLineEnd(const char* data) const {
        std::size_t ve = valueBegin + value.size();
        return std::string_view(data + ve, end - ve);
    }
};

class TagReader {
public:
    enum class Status { Ok, End, Error };

    // Reads [begin, end) of data; firstLine numbers the line at begin (ASCII only).
    TagReader(const char* data, std::size_t begin, std::size_t end, std::uint64_t firstLine = 1,
              Encoding encoding = Encoding::Ascii) noexcept
        : mData(data), mPos(begin), mEnd(end), mLine(firstLine), mBinary(encoding == Encoding::Binary) {}

    // Next tag; End at the end of the range; Error (see error()) on a malformed group, after which the
    // reader stays in error.
    Status next(Tag& tag) noexcept {
        if (mFailed) return Status::Error;
        if (mPos >= mEnd) return Status::End;
        return mBinary ? nextBinary(tag) : nextAscii(tag);
    }

    const char* error() const noexcept { return mError != nullptr ? mError : mMessage; }
    std::uint64_t line() const noexcept { return mLine; }  // line of the next (or failing) group
    std::size_t position() const noexcept { return mPos; }
    std::size_t errorOffset() const noexcept { return mErrorOffset; }  // where the failing group begins

private:
    Status fail(const char* why) noexcept {
        mError = why;
        mErrorOffset = mPos;
        mPos = mEnd;
        mFailed = true;
        return Status::Error;
    }
    inline Status nextAscii(Tag& tag) noexcept;
    static inline const char* lineEnd(const char* p, const char* end) noexcept;
    inline Status nextBinary(Tag& tag) noexcept;

    const char* mData;
    std::size_t mPos;
    std::size_t mEnd;
    std::uint64_t mLine;
    bool mBinary;
    const char* mError = nullptr;
    std::size_t mErrorOffset = 0;
    bool mFailed = false;
    char mMessage[64] = {};
};

inline TagReader::Status TagReader::nextBinary(Tag& tag) noexcept {
    const auto* p = reinterpret_cast<const unsigned char*>(mData);
    if (mEnd - mPos < 2) return fail("group code cut short (file truncated)");
    const int code = p[mPos] | (p[mPos + 1] << 8);
    const ValueType type = valueTypeOf(code);
    if (type == ValueType::Unknown) {
        std::snprintf(mMessage, sizeof mMessage, "unknown group code %d", code);
        return fail(nullptr);  // error() gives mMessage, also in a copy of this reader
    }
    std::size_t vb = mPos + 2;
    std::size_t ve = 0;
    std::size_t next = 0;
    if (type == ValueType::String) {
        const void* nul = vb < mEnd ? std::memchr(mData + vb, 0, mEnd - vb) : nullptr;
        if (nul == nullptr) return fail("string without its terminator (file truncated)");
        ve = std::size_t(static_cast<const char*>(nul) - mData);
        next = ve + 1;
    } else if (type == ValueType::Chunk) {
        if (vb >= mEnd) return fail("binary chunk without its length (file truncated)");
        const std::size_t length = p[vb];
        ++vb;
        if (mEnd - vb < length) return fail("binary chunk runs past the end of the file");
        ve = next = vb + length;
    } else {
        const std::size_t size = binaryValueSize(type);
        if (mEnd - vb < size) return fail("value cut short (file truncated)");
        ve = next = vb + size;
    }
    tag.code = code;
    tag.value = std::string_view(mData + vb, ve - vb);
    tag.begin = mPos;
    tag.valueBegin = vb;
    tag.end = next;
    tag.line = 0;
    tag.binary = true;
    mPos = next;
    return Status::Ok;
}

// The first '\n' in [p, end), or end. Most values are short: eight bytes at a time for the first few
// words, memchr only for long ones.
inline const char* TagReader::lineEnd(const char* p, const char* end) noexcept {
#if defined(__GNUC__) && defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__
    for (int words = 0; words < 4 && end - p >= 8; ++words, p += 8) {
        std::uint64_t w;
        std::memcpy(&w, p, 8);
        w ^= 0x0A0A0A0A0A0A0A0AULL;  // '\n' bytes become zero
        // The lowest byte flagged is the first zero byte (flags above it may be false).
        const std::uint64_t zero = (w - 0x0101010101010101ULL) & ~w & 0x8080808080808080ULL;
        if (zero != 0) return p + __builtin_ctzll(zero) / 8;
    }
#endif
    const void* nl = std::memchr(p, '\n', std::size_t(end - p));
    return nl != nullptr ? static_cast<const char*>(nl) : end;
}

inline TagReader::Status TagReader::nextAscii(Tag& tag) noexcept {
    // Code lines are a few bytes: parse them in place rather than searching for the line end first.
    const char* const end = mData + mEnd;
    const char* q = mData + mPos;
    while (q < end && (*q == ' ' || *q == '\t')) ++q;
    const char* const digits = q;
    int code = 0;
    while (q < end && static_cast<unsigned>(*q - '0') < 10u) {
        if (q - digits >= 5) return fail("group code out of range");
        code = code * 10 + (*q - '0');
        ++q;
    }
    const bool noDigits = q == digits;
    while (q < end && (*q == ' ' || *q == '\t' || *q == '\r')) ++q;
    if (q == end) return fail(noDigits ? "empty group code line" : "group code without a value (file truncated)");
    if (*q != '\n') return fail("group code is not a number");
    if (noDigits) return fail("empty group code line");
    if (code > kMaxGroupCode) return fail("group code out of range");
    const std::size_t vb = std::size_t(q - mData) + 1;
    if (vb >= mEnd) return fail("group code without a value (file truncated)");
    const char* v = mData + vb;
    const char* nl = lineEnd(v, end);
    std::size_t ve = std::size_t(nl - mData);
    const std::size_t next = nl < end ? ve + 1 : mEnd;
    if (ve > vb && mData[ve - 1] == '\r') --ve;
    tag.code = code;
    tag.value = std::string_view(v, ve - vb);
    tag.begin = mPos;
    tag.valueBegin = vb;
    tag.end = next;
    tag.line = mLine;
    tag.binary = false;
    mLine += 2;
    mPos = next;
    return Status::Ok;
}

// An integer value: a binary value as stored (booleans included), an ASCII or binary string as
// decimal digits. False for doubles, chunks and text that is no integer.
inline bool integerValue(const Tag& t, long long& out) noexcept {
    if (!t.binary) return parseInt(t.value, out);
    const auto* p = reinterpret_cast<const unsigned char*>(t.value.data());
    switch (valueTypeOf(t.code)) {
        case ValueType::Bool: out = p[0]; return true;
        case ValueType::Int16: out = std::int16_t(std::uint16_t(p[0] | p[1] << 8)); return true;
        case ValueType::Int32:
        case ValueType::Int64: {
            std::uint64_t v = 0;
            for (std::size_t k = t.value.size(); k-- > 0;) v = v << 8 | p[k];
            out = t.value.size() == 4 ? std::int32_t(std::uint32_t(v)) : std::int64_t(v);
            return true;
        }
        case ValueType::String: return parseInt(t.value, out);
        default: return false;
    }
}

}  // namespace vrk::dxf
