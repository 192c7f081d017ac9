#include "emulator/ed/wide_printf.h"

#include <cstdio>

namespace vrk::emu {

std::wstring hostWideFormat(const wchar_t* format) { return format; }

int printWide(wchar_t* buffer, std::size_t size, const wchar_t* format, va_list args) {
    // msvcrt's own formatter (%s is wide here); mingw's C99 vswprintf would read %s as narrow. It answers
    // -1 when the buffer is too small.
    return _vsnwprintf(buffer, size, format, args);
}

}  // namespace vrk::emu
