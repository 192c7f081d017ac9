#include "transcode.h"

#include <charconv>
#include <cstdint>
#include <cstring>

namespace vrk::dxf {

namespace {

void appendLittleEndian(std::string& out, std::uint64_t v, std::size_t size) {
    char bytes[8];
    for (std::size_t k = 0; k < size; ++k) bytes[k] = char((v >> (8 * k)) & 0xFF);
    out.append(bytes, size);
}

bool parseDouble(std::string_view text, double& out) {
    text = trimBlanks(text);
    if (!text.empty() && text[0] == '+') text.remove_prefix(1);
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), out);
    return ec == std::errc() && end == text.data() + text.size() && !text.empty();
}

int hexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

}  // namespace

void appendCode(std::string& out, int code, Encoding to) {
    if (to == Encoding::Binary) {
        appendLittleEndian(out, std::uint64_t(code), 2);
        return;
    }
    char digits[8];
    const auto [end, ec] = std::to_chars(digits, digits + sizeof digits, code);
    const std::size_t n = std::size_t(end - digits);
    if (n < 3) out.append(3 - n, ' ');
    out.append(digits, n);
    out.append(kAsciiLineEnd);
}

bool appendValue(std::string& out, int code, std::string_view text, Encoding to, std::string& error) {
    const ValueType type = valueTypeOf(code);
    if (to == Encoding::Ascii) {
        out.append(text);
        out.append(kAsciiLineEnd);
        return true;
    }
    long long i = 0;
    double d = 0;
    switch (type) {
        case ValueType::String:
            // ASCII files write control characters as ^ and a letter, and ^ itself as "^ ". What lies
            // between two carets goes over in one piece.
            for (std::size_t k = 0; k < text.size();) {
                const void* caret = std::memchr(text.data() + k, '^', text.size() - k);
                const std::size_t stop =
                    caret ? std::size_t(static_cast<const char*>(caret) - text.data()) : text.size();
                if (std::memchr(text.data() + k, '\0', stop - k) != nullptr) {
                    error = "text holds a zero byte";
                    return false;
                }
                out.append(text.data() + k, stop - k);
                if (stop == text.size()) break;
                char c = '^';
                k = stop + 1;
                if (k < text.size()) {
                    const char n = text[k];
                    if (n == ' ' || (n >= '@' && n <= '_')) {
                        c = n == ' ' ? '^' : char(n - '@');
                        ++k;
                    }
                }
                if (c == '\0') {
                    error = "text holds a zero byte";
                    return false;
                }
                out.push_back(c);
            }
            out.push_back('\0');
            return true;
        case ValueType::Double:
            if (!parseDouble(text, d)) break;
            std::uint64_t bits;
            std::memcpy(&bits, &d, sizeof bits);
            appendLittleEndian(out, bits, 8);
            return true;
        case ValueType::Int16:
            if (!parseInt(text, i) || i < -32768 || i > 65535) break;
            appendLittleEndian(out, std::uint64_t(i), 2);
            return true;
        case ValueType::Int32:
            if (!parseInt(text, i) || i < INT32_MIN || i > UINT32_MAX) break;
            appendLittleEndian(out, std::uint64_t(i), 4);
            return true;
        case ValueType::Int64:
            if (!parseInt(text, i)) break;
            appendLittleEndian(out, std::uint64_t(i), 8);
            return true;
        case ValueType::Bool:
            if (!parseInt(text, i) || i < 0 || i > 255) break;
            out.push_back(char(i));
            return true;
        case ValueType::Chunk: {
            text = trimBlanks(text);
            if (text.size() % 2 != 0 || text.size() > 2 * 255) break;
            out.push_back(char(text.size() / 2));
            for (std::size_t k = 0; k < text.size(); k += 2) {
                const int hi = hexDigit(text[k]), lo = hexDigit(text[k + 1]);
                if (hi < 0 || lo < 0) {
                    error = "'" + std::string(text) + "' is no binary chunk";
                    return false;
                }
                out.push_back(char(hi * 16 + lo));
            }
            return true;
        }
        case ValueType::Unknown: error = "no value type is defined for this group code"; return false;
    }
    error = "'" + std::string(text) + "' is no value of this group code's type";
    return false;
}

void appendValueText(std::string& out, const Tag& t) {
    if (!t.binary) {
        out.append(t.value);
        return;
    }
    char buffer[32];
    long long i = 0;
    switch (valueTypeOf(t.code)) {
        case ValueType::String:
            for (char c : t.value) {
                if (c == '^') {
                    out.append("^ ");
                } else if (static_cast<unsigned char>(c) < 0x20) {
                    out.push_back('^');
                    out.push_back(char(c + '@'));
                } else {
                    out.push_back(c);
                }
            }
            return;
        case ValueType::Double: {
            double d;
            std::uint64_t bits = 0;
            for (std::size_t k = 8; k-- > 0;) bits = bits << 8 | static_cast<unsigned char>(t.value[k]);
            std::memcpy(&d, &bits, sizeof d);
            // Shortest text that reads back to the same double; written with a point, as the host does.
            const auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, d);
            const std::string_view s(buffer, std::size_t(end - buffer));
            out.append(s);
            if (s.find_first_of(".eEn") == std::string_view::npos) out.append(".0");
            return;
        }
        case ValueType::Chunk: {
            static const char kHex[] = "0123456789ABCDEF";
            for (unsigned char c : t.value) {
                out.push_back(kHex[c >> 4]);
                out.push_back(kHex[c & 15]);
            }
            return;
        }
        default:
            integerValue(t, i);
            out.append(std::to_string(i));
            return;
    }
}

}  // namespace vrk::dxf
