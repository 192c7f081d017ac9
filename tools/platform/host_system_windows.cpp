#include "tools/platform/host_system.h"

#include <windows.h>

namespace vrk::platform {

bool useSystemLocale(unsigned long lcid, std::string& error) {
    const LCID wanted = static_cast<LCID>(lcid);
    DWORD codePage = 0;
    const bool known = GetLocaleInfoW(wanted, LOCALE_IDEFAULTANSICODEPAGE | LOCALE_RETURN_NUMBER,
                                      reinterpret_cast<LPWSTR>(&codePage), sizeof(codePage) / sizeof(WCHAR)) != 0;
    if (wanted == GetSystemDefaultLCID() || (known && codePage == GetACP())) return true;
    error =
        "--lcid " + std::to_string(lcid) +
        (known ? " uses the ANSI code page " + std::to_string(codePage) : std::string(" is no locale Windows knows")) +
        ", but this system's is " + std::to_string(GetACP()) +
        ", which a program cannot change; set the system locale in Windows, or use a 2007 or 2008 release";
    return false;
}

void noteShellFailures(std::function<void(const std::string&)>) {}

bool loadRegistryFile(const std::string&, std::string& error) {
    error = "--registry needs the emulated registry; on Windows the real one is used";
    return false;
}

bool saveRegistryFile(const std::string&, std::string&) { return true; }

}  // namespace vrk::platform
