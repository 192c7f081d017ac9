// The C runtime's multibyte functions for the ANSI code page of the system locale.  In a
// double-byte code page a lead byte and its trail byte form one character: a trail byte is never
// upper-cased on its own and a match never starts on one.
#include <climits>
#include <cstring>

#include "emulator/win/code_pages.h"

namespace {

using namespace vrk::win::detail;

// What the runtime returns for a null argument (_NLSCMPERROR).
constexpr int kCompareError = INT_MAX;

bool isDoubleByteCodePage(UINT codePage) { return isLeadByte(codePage, 0x81); }

// The next character of a text, advancing past it.  A lead byte before the terminator ends the text.
unsigned int nextChar(const unsigned char*& p, UINT codePage) {
    unsigned int c = *p++;
    if (isLeadByte(codePage, static_cast<unsigned char>(c))) {
        if (*p == 0) return 0;
        c = (c << 8) | *p++;
    }
    return c;
}

unsigned int upperIn(UINT codePage, unsigned int c) {
    if (c < 0x80) return (c >= 'a' && c <= 'z') ? c - 'a' + 'A' : c;
    char bytes[2];
    size_t count = 0;
    if (c > 0xFF) {
        if (c > 0xFFFF || !isLeadByte(codePage, static_cast<unsigned char>(c >> 8))) return c;
        bytes[count++] = static_cast<char>(c >> 8);
    } else if (isLeadByte(codePage, static_cast<unsigned char>(c))) {
        return c;  // half a character
    }
    bytes[count++] = static_cast<char>(c & 0xFF);

    const Decoded wide = decode(codePage, bytes, count);
    if (wide.invalid || wide.text.size() != 1) return c;
    const wchar_t upper = toUpper(wide.text[0]);
    if (upper == wide.text[0]) return c;
    const Encoded narrow = encode(codePage, &upper, 1, nullptr);
    if (narrow.usedDefault || narrow.text.empty() || narrow.text.size() > 2) return c;
    unsigned int result = 0;
    for (unsigned char b : narrow.text) result = (result << 8) | b;
    return result;
}

}  // namespace

extern "C" unsigned int _mbctoupper(unsigned int c) { return upperIn(GetACP(), c); }

extern "C" int _mbsicmp(const unsigned char* a, const unsigned char* b) {
    if (!a || !b) return kCompareError;
    const UINT codePage = GetACP();
    if (!isDoubleByteCodePage(codePage)) {
        // Without lead bytes the runtime compares like _stricmp in the "C" locale: ASCII only, lower case.
        for (;; ++a, ++b) {
            unsigned int ca = *a, cb = *b;
            if (ca >= 'A' && ca <= 'Z') ca += 'a' - 'A';
            if (cb >= 'A' && cb <= 'Z') cb += 'a' - 'A';
            if (ca != cb) return ca < cb ? -1 : 1;
            if (ca == 0) return 0;
        }
    }
    for (;;) {
        const unsigned int ca = upperIn(codePage, nextChar(a, codePage));
        const unsigned int cb = upperIn(codePage, nextChar(b, codePage));
        if (ca != cb) return ca < cb ? -1 : 1;
        if (ca == 0) return 0;
    }
}

extern "C" unsigned char* _mbsstr(const unsigned char* str, const unsigned char* sub) {
    if (!str || !sub) return nullptr;
    const UINT codePage = GetACP();
    const size_t subLength = std::strlen(reinterpret_cast<const char*>(sub));
    if (subLength == 0) return const_cast<unsigned char*>(str);
    for (const unsigned char* p = str; *p;) {
        if (std::strncmp(reinterpret_cast<const char*>(p), reinterpret_cast<const char*>(sub), subLength) == 0)
            return const_cast<unsigned char*>(p);
        p += (isLeadByte(codePage, *p) && p[1]) ? 2 : 1;
    }
    return nullptr;
}

extern "C" int _ismbblead(unsigned int c) {
    return c <= 0xFF && isLeadByte(GetACP(), static_cast<unsigned char>(c)) ? 1 : 0;
}
