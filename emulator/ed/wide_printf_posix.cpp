#include "emulator/ed/wide_printf.h"

#include <cwchar>

namespace vrk::emu {

// The C library's wide printf reads %s and %c as narrow unless written %ls and %lc.
std::wstring hostWideFormat(const wchar_t* format) {
    std::wstring out;
    for (const wchar_t* p = format; *p; ++p) {
        out.push_back(*p);
        if (*p != L'%') continue;
        ++p;
        if (*p == L'%') {
            out.push_back(*p);
            continue;
        }
        while (*p && std::wcschr(L"-+ #0123456789.*", *p)) out.push_back(*p++);
        if (*p == L'h' && (p[1] == L's' || p[1] == L'c')) {
            ++p;  // %hs: narrow, as the C library reads a plain %s
        } else if (*p == L's' || *p == L'c') {
            out.push_back(L'l');
        }
        if (!*p) break;
        out.push_back(*p);
    }
    return out;
}

int printWide(wchar_t* buffer, std::size_t size, const wchar_t* format, va_list args) {
    return std::vswprintf(buffer, size, format, args);
}

}  // namespace vrk::emu
