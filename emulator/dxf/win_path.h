#pragma once
// Windows only: paths arrive as UTF-8, the wide file API wants UTF-16.

#ifdef _WIN32
#include <windows.h>

#include <string>

namespace vrk::dxf {

inline std::wstring widePath(const std::string& utf8) {
    if (utf8.empty()) return std::wstring();
    int n = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), int(utf8.size()), nullptr, 0);
    std::wstring wide(std::size_t(n > 0 ? n : 0), L'\0');
    if (n > 0) MultiByteToWideChar(CP_UTF8, 0, utf8.data(), int(utf8.size()), wide.data(), n);
    return wide;
}

}  // namespace vrk::dxf
#endif
