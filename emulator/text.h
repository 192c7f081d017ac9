// The emulated host keeps text as UTF-8 and presents it in the width of its build: the ANSI code
// page of the system locale for a narrow (R16) host, wide characters for a wide (R17) host.
#pragma once

#include <string>
#include <string_view>

#include "arx/text.h"

namespace vrk::emu {

using HostString = std::basic_string<ACHAR>;

std::wstring utf8ToWide(std::string_view utf8);
std::string wideToUtf8(std::wstring_view wide);

// Text as the host hands it to the plug-in.
HostString toHost(std::string_view utf8);
// Text a user hands to the host (a file name, a variable's value, a typed answer). A narrow host
// cannot take what its ANSI code page does not hold: false then, and out is left empty, so that the
// text never reaches a file operation with '?' (or a look-alike) in place of what it said.
bool toHostExactly(std::string_view utf8, HostString& out);
// Why toHostExactly refused a text, and what to do instead; the caller names the text first
// ("cannot read X: " + notInCodePage()).
std::string notInCodePage();
// Why toHostExactly refused utf8: not UTF-8 at all, or notInCodePage().
std::string cannotTakeExactly(std::string_view utf8);
bool isUtf8(std::string_view text);

// Text the plug-in handed to the host; a null pointer gives an empty text.
std::string fromHost(const ACHAR* text);

// Host text with the case of its letters folded, for names that the host compares ignoring case.
std::string foldCase(std::string_view utf8);

}  // namespace vrk::emu
