// Reads back what the host wrote into its part of the registry.
#pragma once

#include <cstring>
#include <string>

#include "emulator/text.h"
#include "arx/windows_api.h"

namespace vrk::test {

inline std::wstring hostArea() {
#ifdef UNICODE
    return L"Software\\VrkHost\\R17.0\\Applications\\Varnikel";
#else
    return L"Software\\VrkHost\\R16.0\\Applications\\Varnikel";
#endif
}

// The text of a value under the application's key (subKey may be empty); "<missing>" when absent.
inline std::string registryText(const std::wstring& subKey, const std::wstring& name) {
    HKEY hKey = nullptr;
    const std::wstring path = subKey.empty() ? hostArea() : hostArea() + L"\\" + subKey;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, KEY_QUERY_VALUE, &hKey) != ERROR_SUCCESS) return "<missing>";
    wchar_t data[512] = {};
    DWORD size = sizeof(data) - sizeof(wchar_t);
    DWORD type = 0;
    const LONG rc = RegQueryValueExW(hKey, name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(data), &size);
    RegCloseKey(hKey);
    if (rc != ERROR_SUCCESS) return "<missing>";
    if (type == REG_DWORD) {
        DWORD number = 0;
        std::memcpy(&number, data, sizeof(number));
        return std::to_string(number);
    }
    return vrk::emu::wideToUtf8(data);
}

}  // namespace vrk::test
