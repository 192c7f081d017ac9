#include "handle.h"

namespace vrk::dxf {

std::string_view trimBlanks(std::string_view s) noexcept {
    size_t b = 0, e = s.size();
    while (b < e && (s[b] == ' ' || s[b] == '\t' || s[b] == '\r')) ++b;
    while (e > b && (s[e - 1] == ' ' || s[e - 1] == '\t' || s[e - 1] == '\r')) --e;
    return s.substr(b, e - b);
}

bool parseHandle(std::string_view text, Handle& out) noexcept {
    text = trimBlanks(text);
    if (text.empty() || text.size() > 16) return false;
    Handle h = 0;
    for (char c : text) {
        unsigned d;
        if (c >= '0' && c <= '9') d = unsigned(c - '0');
        else if (c >= 'A' && c <= 'F') d = unsigned(c - 'A' + 10);
        else if (c >= 'a' && c <= 'f') d = unsigned(c - 'a' + 10);
        else return false;
        h = (h << 4) | d;
    }
    out = h;
    return true;
}

std::string formatHandle(Handle h) {
    static const char kDigits[] = "0123456789ABCDEF";
    char buf[16];
    int n = 0;
    do {
        buf[15 - n++] = kDigits[h & 0xF];
        h >>= 4;
    } while (h != 0);
    return std::string(buf + 16 - n, size_t(n));
}

bool parseInt(std::string_view text, long long& out) noexcept {
    text = trimBlanks(text);
    if (text.empty()) return false;
    bool neg = false;
    size_t i = 0;
    if (text[0] == '-' || text[0] == '+') {
        neg = text[0] == '-';
        i = 1;
    }
    if (i == text.size() || text.size() - i > 19) return false;
    unsigned long long v = 0;
    for (; i < text.size(); ++i) {
        char c = text[i];
        if (c < '0' || c > '9') return false;
        v = v * 10 + unsigned(c - '0');  // 19 digits fit in 64 bits unsigned
    }
    const unsigned long long limit = 9223372036854775807ULL;  // the full range of 64-bit values
    if (v > limit + (neg ? 1 : 0)) return false;
    out = neg ? static_cast<long long>(0 - v) : static_cast<long long>(v);
    return true;
}

}  // namespace vrk::dxf
