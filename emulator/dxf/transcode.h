#pragma once
// Group codes and values in either encoding, and whole runs of tags from one encoding to the other.
// Nothing is lost either way: integers become decimal digits, doubles the shortest text that reads back
// to the same bits, binary chunks hex digits; and back.

#include <cstddef>
#include <string>
#include <string_view>

#include "group_codes.h"
#include "tag.h"

namespace vrk::dxf {

// The line end of ASCII files this program writes from scratch (the host's own).
constexpr std::string_view kAsciiLineEnd = "\r\n";

// Appends a group code: ASCII right-aligned in three columns with a line end, binary as two bytes.
void appendCode(std::string& out, int code, Encoding to);

// Appends a value given in its ASCII form (what an ASCII file holds, blanks around numbers allowed,
// control characters in text as ^ and a letter): ASCII as given with a line end, binary in the code's
// value type. False, with error saying why, when the text is no value of that type.
bool appendValue(std::string& out, int code, std::string_view text, Encoding to, std::string& error);

// Appends the ASCII form of a tag's value (an ASCII value as read).
void appendValueText(std::string& out, const Tag& t);

// Re-encodes the tags of data[0, size) read in from as to. Output is handed to flush in pieces of about
// a megabyte (and once at the end); false with error on a value that does not convert or a failed flush.
template <class Flush>
bool transcode(const char* data, std::size_t size, Encoding from, Encoding to, std::string& out, std::string& error,
               Flush&& flush) {
    TagReader reader(data, 0, size, 1, from);
    Tag t;
    std::string text;
    for (;;) {
        const TagReader::Status st = reader.next(t);
        if (st == TagReader::Status::End) break;
        if (st == TagReader::Status::Error) {
            error = reader.error();
            return false;
        }
        appendCode(out, t.code, to);
        std::string_view value = t.value;  // an ASCII value is its own text
        if (t.binary) {
            text.clear();
            appendValueText(text, t);
            value = text;
        }
        if (!appendValue(out, t.code, value, to, error)) {
            error = "group " + std::to_string(t.code) + ": " + error;
            return false;
        }
        if (out.size() >= (std::size_t(1) << 20)) {
            if (!flush(out)) return false;
            out.clear();
        }
    }
    return flush(out);
}

}  // namespace vrk::dxf
