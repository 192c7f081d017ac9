// UTF-8 <-> UTF-16 for the Windows sources of the platform layer (the programs keep text in UTF-8;
// Windows takes and gives UTF-16). Only the Windows build has them (utf16_windows.cpp).
#pragma once

#include <string>
#include <string_view>

namespace vrk::platform {

// utf8 as UTF-16; a byte sequence that is no UTF-8 becomes U+FFFD.
std::wstring widen(std::string_view utf8);

// wide as UTF-8; an unpaired surrogate becomes U+FFFD.
std::string narrow(std::wstring_view wide);

}  // namespace vrk::platform
