#include "iconv_win.h"

#include <windows.h>

#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "utf8.h"

namespace vrk::dxf {

struct WinIconv {
    UINT codePage;
    bool toUtf8;  // decoding from codePage, else encoding into it
};

namespace {

// iconv's names for the code pages the codec asks for, as Windows numbers them; 0 when unknown.
UINT codePageNumber(const char* name) {
    std::string n;
    for (const char* p = name; *p; ++p) n += (*p >= 'a' && *p <= 'z') ? char(*p - 32) : *p;
    if (n == "UTF-8") return CP_UTF8;
    if (n == "BIG5") return 950;
    if (n == "GBK" || n == "GB2312") return 936;
    if (n == "JOHAB") return 1361;
    if (n == "MACINTOSH") return 10000;
    if (n.rfind("ISO-8859-", 0) == 0) return UINT(28590 + std::atoi(n.c_str() + 9));
    if (n.rfind("CP", 0) == 0 && n.size() > 2) return UINT(std::atoi(n.c_str() + 2));
    return 0;
}

std::size_t fail(int e) {
    errno = e;
    return std::size_t(-1);
}

}  // namespace

iconv_t iconv_open(const char* to, const char* from) {
    UINT t = codePageNumber(to), f = codePageNumber(from);
    UINT page = t == CP_UTF8 ? f : f == CP_UTF8 ? t : 0;
    if (page == 0 || page == CP_UTF8 || !IsValidCodePage(page)) {
        errno = EINVAL;
        return reinterpret_cast<iconv_t>(std::intptr_t(-1));
    }
    return new WinIconv{page, t == CP_UTF8};
}

int iconv_close(iconv_t cd) {
    delete cd;
    return 0;
}

// One character at a time: Windows reports a bad sequence only for a whole call, iconv at the byte.
std::size_t iconv(iconv_t cd, char** in, std::size_t* inLeft, char** out, std::size_t* outLeft) {
    if (!in || !*in) return 0;  // no shift state to reset
    while (*inLeft > 0) {
        auto* s = reinterpret_cast<const unsigned char*>(*in);
        char bytes[8];
        int used = 0, made = 0;
        if (s[0] < 0x80) {
            bytes[0] = char(s[0]);
            used = made = 1;
        } else if (cd->toUtf8) {
            used = IsDBCSLeadByteEx(cd->codePage, s[0]) ? 2 : 1;
            if (std::size_t(used) > *inLeft) return fail(EINVAL);
            wchar_t wide[2];
            int n = MultiByteToWideChar(cd->codePage, MB_ERR_INVALID_CHARS, *in, used, wide, 2);
            if (n <= 0) return fail(EILSEQ);
            made = WideCharToMultiByte(CP_UTF8, 0, wide, n, bytes, sizeof(bytes), nullptr, nullptr);
            if (made <= 0) return fail(EILSEQ);
        } else {
            char32_t cp = 0;
            used = decodeUtf8(s, *inLeft, cp);
            if (used < 0) return fail(EINVAL);
            if (used == 0) return fail(EILSEQ);
            wchar_t wide[2];
            int units = 1;
            if (cp >= 0x10000) {
                wide[0] = wchar_t(0xD800 + ((cp - 0x10000) >> 10));
                wide[1] = wchar_t(0xDC00 + ((cp - 0x10000) & 0x3FF));
                units = 2;
            } else {
                wide[0] = wchar_t(cp);
            }
            BOOL lossy = FALSE;
            made = WideCharToMultiByte(cd->codePage, WC_NO_BEST_FIT_CHARS, wide, units, bytes, sizeof(bytes), nullptr,
                                       &lossy);
            if (made <= 0 || lossy) return fail(EILSEQ);
        }
        if (std::size_t(made) > *outLeft) return fail(E2BIG);
        std::memcpy(*out, bytes, std::size_t(made));
        *out += made;
        *outLeft -= std::size_t(made);
        *in += used;
        *inLeft -= std::size_t(used);
    }
    return 0;
}

}  // namespace vrk::dxf
