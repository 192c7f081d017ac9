#pragma once
// Strict decoding of one UTF-8 character: no overlong forms, no surrogates, nothing past U+10FFFF.

#include <cstddef>

namespace vrk::dxf {

// Length of the sequence at s (left bytes available), its code point in cp; 0 when invalid, -1 when
// it runs past the end.
inline int decodeUtf8(const unsigned char* s, std::size_t left, char32_t& cp) {
    const unsigned b = s[0];
    const int len = b < 0x80 ? 1 : (b >> 5) == 6 ? 2 : (b >> 4) == 14 ? 3 : (b >> 3) == 30 ? 4 : 0;
    if (len == 0) return 0;
    char32_t v = len == 1 ? b : len == 2 ? (b & 0x1F) : len == 3 ? (b & 0x0F) : (b & 0x07);
    for (int k = 1; k < len; ++k) {
        if (std::size_t(k) >= left) return -1;
        const unsigned c = s[k];
        if ((c >> 6) != 2) return 0;
        v = (v << 6) | (c & 0x3F);
    }
    static const char32_t kMin[] = {0, 0, 0x80, 0x800, 0x10000};
    if (v < kMin[len] || v > 0x10FFFF || (v >= 0xD800 && v <= 0xDFFF)) return 0;
    cp = v;
    return len;
}

}  // namespace vrk::dxf
