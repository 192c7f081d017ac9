#pragma once
// Object handles as they appear in drawing files: up to 16 hexadecimal digits.

#include <cstdint>
#include <string>
#include <string_view>

namespace vrk::dxf {

using Handle = std::uint64_t;
constexpr Handle kNoHandle = 0;

// Parses 1..16 hex digits, blanks around them allowed. Returns false (out untouched) otherwise.
bool parseHandle(std::string_view text, Handle& out) noexcept;

// Upper-case hex without leading zeros, as the host writes handles ("0" for kNoHandle).
std::string formatHandle(Handle h);

// Trims blanks (space, tab, CR) from both ends; numeric values are often right-aligned.
std::string_view trimBlanks(std::string_view s) noexcept;

// Parses a signed decimal integer with optional surrounding blanks.
bool parseInt(std::string_view text, long long& out) noexcept;

}  // namespace vrk::dxf
