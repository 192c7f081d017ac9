// --lcid in the host programs: the emulated Windows reports the locale asked for. The real one cannot
// change its locale, and the narrow host's text follows the system's ANSI code page: there --lcid is
// taken when its code page is the system's (nothing the module sees differs then) and refused otherwise.
#pragma once

#include <string>

#include "tools/options/host_options.h"

#if defined(_WIN32)
#include <windows.h>
#else
#include "emulator/win/win_control.h"
#endif

namespace vrk::options {

// False, with the reason in error, when the system locale cannot be the one asked for.
inline bool applySystemLocale(const HostOptions& options, std::string& error) {
    if (!options.lcid) return true;
#if defined(_WIN32)
    const LCID lcid = static_cast<LCID>(*options.lcid);
    DWORD codePage = 0;
    const bool known =
        GetLocaleInfoW(lcid, LOCALE_IDEFAULTANSICODEPAGE | LOCALE_RETURN_NUMBER,
                       reinterpret_cast<LPWSTR>(&codePage), sizeof(codePage) / sizeof(WCHAR)) != 0;
    if (lcid == GetSystemDefaultLCID() || (known && codePage == GetACP())) return true;
    error =
        "--lcid " + std::to_string(*options.lcid) +
        (known ? " uses the ANSI code page " + std::to_string(codePage)
               : std::string(" is no locale Windows knows")) +
        ", but this system's is " + std::to_string(GetACP()) +
        ", which a program cannot change; set the system locale in Windows, or use a 2007 or 2008 release";
    return false;
#else
    (void)error;
    vrk::win::setSystemLcid(static_cast<LCID>(*options.lcid));
    return true;
#endif
}

}  // namespace vrk::options
