// The system default locale, as Windows-on-Linux layers derive it from the environment.
#include <atomic>
#include <cstdlib>
#include <strings.h>

#include "emulator/win/win_control.h"

namespace {

std::atomic<bool> lcidOverridden{false};
std::atomic<LCID> lcidOverride{0};

LCID lcidOfLocaleName(const char* name) {
    // Only the language and territory count: "zh_CN.UTF-8" and "zh_CN@stroke" are zh_CN.
    struct Known {
        const char* name;
        LCID lcid;
    };
    static const Known known[] = {
        {"zh_CN", 2052}, {"zh_TW", 1028}, {"zh_HK", 3076}, {"zh_SG", 4100}, {"zh_MO", 5124},
    };
    for (const Known& k : known) {
        if (strncasecmp(name, k.name, 5) == 0 && (name[5] == '\0' || name[5] == '.' || name[5] == '@'))
            return k.lcid;
    }
    return 1033;
}

}  // namespace

namespace vrk::win {

void setSystemLcid(LCID lcid) {
    lcidOverride = lcid;
    lcidOverridden = true;
}

void clearSystemLcid() {
    lcidOverridden = false;
}

}  // namespace vrk::win

extern "C" LCID GetSystemDefaultLCID(void) {
    if (lcidOverridden) return lcidOverride;
    for (const char* variable : {"LC_ALL", "LC_CTYPE", "LANG"}) {
        const char* value = std::getenv(variable);
        if (value && *value) return lcidOfLocaleName(value);
    }
    return 1033;
}

extern "C" UINT GetACP(void) {
    switch (GetSystemDefaultLCID()) {
        case 2052:
        case 4100:
            return 936;
        case 1028:
        case 3076:
        case 5124:
            return 950;
        default:
            return 1252;
    }
}

extern "C" UINT GetOEMCP(void) {
    const UINT ansi = GetACP();
    return ansi == 1252 ? 437 : ansi;
}
