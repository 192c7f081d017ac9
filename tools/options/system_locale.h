// --lcid in the host programs: the emulated Windows reports the locale asked for; the real one cannot
// change it, so there a differing --lcid is refused.
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
    if (*options.lcid == GetSystemDefaultLCID()) return true;
    error = "--lcid " + std::to_string(*options.lcid) + " differs from the system locale " +
            std::to_string(GetSystemDefaultLCID()) + ", which cannot be changed here";
    return false;
#else
    (void)error;
    vrk::win::setSystemLcid(static_cast<LCID>(*options.lcid));
    return true;
#endif
}

}  // namespace vrk::options
