#pragma once
// The host's wide printf reads a format as the Windows C runtime does: %s and %c are wide, %hs and %hc
// narrow. Each platform's C library is made to read it so (wide_printf_posix.cpp,
// wide_printf_windows.cpp). Internal to the host.

#include <cstdarg>
#include <cstddef>
#include <string>

namespace vrk::emu {

// format as this platform's C library must be given it to read it the Windows way.
std::wstring hostWideFormat(const wchar_t* format);
// Formats into buffer with a format hostWideFormat gave; the count written, or -1 when buffer is too
// small or the arguments do not convert.
int printWide(wchar_t* buffer, std::size_t size, const wchar_t* format, va_list args);

}  // namespace vrk::emu
