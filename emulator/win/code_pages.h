// Code pages of the stand-ins: which ones exist, their lead bytes, and whole-text conversions
// through the C library's iconv.  Internal to emulator/win.
#pragma once

#include <string>

#include "arx/windows_api.h"

namespace vrk::win::detail {

// CP_ACP and CP_OEMCP resolved through the system locale; other numbers unchanged.
UINT resolveCodePage(UINT codePage);

// True for the code pages modelled here (1252, 437, 936, 950, UTF-8), after resolving.
bool isKnownCodePage(UINT resolved);

// Lead byte of a double-byte character in a resolved code page (936 and 950 only).
bool isLeadByte(UINT resolved, unsigned char c);

struct Decoded {
    std::wstring text;
    bool invalid = false;  // some bytes were not a character and were replaced
};
struct Encoded {
    std::string text;
    bool usedDefault = false;  // some characters had no form in the code page
};

// Multibyte to wide.  Byte sequences that are no character become the code page's replacement.
Decoded decode(UINT resolved, const char* bytes, size_t count);

// Wide to multibyte.  Characters without a form become `defaultChar` (nullptr: '?', or U+FFFD in
// UTF-8).
Encoded encode(UINT resolved, const wchar_t* chars, size_t count, const char* defaultChar);

// Simple Unicode upper case, independent of the process locale.
wchar_t toUpper(wchar_t c);

}  // namespace vrk::win::detail
