#pragma once
// One group (code line + value line) of an ASCII drawing file, and a reader that walks a byte range
// tag by tag without allocating: values are views into the caller's buffer.

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>

namespace vrk::dxf {

constexpr int kMaxGroupCode = 1071;

struct Tag {
    int code = 0;
    std::string_view value;  // value line without its line end
    std::size_t begin = 0;   // offset of the group-code line
    std::size_t valueBegin = 0;
    std::size_t end = 0;     // offset just past the value line's line end
    std::uint64_t line = 0;  // 1-based line number of the group-code line

    // Line end of the value line as read ("\n", "\r\n" or empty at the end of the data).
    std::string_view valueLineEnd(const char* data) const {
        std::size_t ve = valueBegin + value.size();
        return std::string_view(data + ve, end - ve);
    }
};

class TagReader {
public:
    enum class Status { Ok, End, Error };

    // Reads [begin, end) of data; firstLine numbers the line at begin.
    TagReader(const char* data, std::size_t begin, std::size_t end, std::uint64_t firstLine = 1) noexcept
        : data_(data), pos_(begin), end_(end), line_(firstLine) {}

    // Next tag; End at the end of the range; Error (see error()) on a malformed group, after which the
    // reader stays in error.
    inline Status next(Tag& tag) noexcept;

    const char* error() const noexcept { return error_; }
    std::uint64_t line() const noexcept { return line_; }  // line of the next (or failing) group
    std::size_t position() const noexcept { return pos_; }

private:
    Status fail(const char* why) noexcept {
        error_ = why;
        pos_ = end_;
        failed_ = true;
        return Status::Error;
    }

    const char* data_;
    std::size_t pos_;
    std::size_t end_;
    std::uint64_t line_;
    const char* error_ = nullptr;
    bool failed_ = false;
};

inline TagReader::Status TagReader::next(Tag& tag) noexcept {
    if (failed_) return Status::Error;
    if (pos_ >= end_) return Status::End;
    // Code lines are a few bytes: parse them in place rather than searching for the line end first.
    const char* const end = data_ + end_;
    const char* q = data_ + pos_;
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
    if (q == end)
        return fail(noDigits ? "empty group code line" : "group code without a value (file truncated)");
    if (*q != '\n') return fail("group code is not a number");
    if (noDigits) return fail("empty group code line");
    if (code > kMaxGroupCode) return fail("group code out of range");
    const std::size_t vb = std::size_t(q - data_) + 1;
    if (vb >= end_) return fail("group code without a value (file truncated)");
    // Most values are short too; memchr pays off only for long ones.
    const char* v = data_ + vb;
    const char* lim = end - v > 24 ? v + 24 : end;
    const char* nl = v;
    while (nl < lim && *nl != '\n') ++nl;
    if (nl == lim && lim != end) {
        nl = static_cast<const char*>(std::memchr(lim, '\n', std::size_t(end - lim)));
        if (nl == nullptr) nl = end;
    }
    std::size_t ve = std::size_t(nl - data_);
    const std::size_t next = nl < end ? ve + 1 : end_;
    if (ve > vb && data_[ve - 1] == '\r') --ve;
    tag.code = code;
    tag.value = std::string_view(v, ve - vb);
    tag.begin = pos_;
    tag.valueBegin = vb;
    tag.end = next;
    tag.line = line_;
    line_ += 2;
    pos_ = next;
    return Status::Ok;
}

// Group codes whose values are handles of other objects.
constexpr bool isPointerCode(int code) noexcept {
    return (code >= 320 && code <= 369) || (code >= 390 && code <= 399) || code == 480 || code == 481 ||
           code == 1005;
}

}  // namespace vrk::dxf
