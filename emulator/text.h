// The emulated host keeps text as UTF-8 and presents it in the width of its build: the ANSI code
// page of the system locale for a narrow (R16) host, wide characters for a wide (R17) host.
#pragma once

#include <string>
#include <string_view>

#include "frame/host/text.h"

namespace vrk::emu {

using HostString = std::basic_string<ACHAR>;

std::wstring utf8ToWide(std::string_view utf8);
std::string wideToUtf8(std::wstring_view wide);

// Text as the host hands it to the plug-in.
HostString toHost(std::string_view utf8);
// Text the plug-in handed to the host; a null pointer gives an empty text.
std::string fromHost(const ACHAR* text);

// Host text with the case of its letters folded, for names that the host compares ignoring case.
std::string foldCase(std::string_view utf8);

}  // namespace vrk::emu
