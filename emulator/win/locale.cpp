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
        if (strncasecmp(name, k.name, 5) == 0 && (name[5] == '\0' || name[5] == '.' || name[5] == '@')) return k.lcid;
    }
    // Other languages by their language alone, where the system's code page follows from it.
    static const Known languages[] = {
        {"ja", 1041}, {"ko", 1042}, {"ru", 1049}, {"uk", 1058}, {"be", 1059}, {"bg", 1026}, {"mk", 1071},
    };
    for (const Known& k : languages) {
        if (strncasecmp(name, k.name, 2) == 0 &&
            (name[2] == '\0' || name[2] == '_' || name[2] == '.' || name[2] == '@'))
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

void clearSystemLcid() { lcidOverridden = false; }

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
    const LCID lcid = GetSystemDefaultLCID();
    switch (lcid) {
        case 2052:
        case 4100: return 936;
        case 1028:
        case 3076:
        case 5124: return 950;
        case 3098:  // Serbian in Cyrillic
            return 1251;
        default: break;
    }
    // The primary language decides for the rest, as Windows's own table does.
    switch (lcid & 0x3FF) {
        case 0x11:  // Japanese
            return 932;
        case 0x12:  // Korean
            return 949;
        case 0x19:  // Russian
        case 0x22:  // Ukrainian
        case 0x23:  // Belarusian
        case 0x02:  // Bulgarian
        case 0x2F:  // Macedonian
            return 1251;
        default: return 1252;
    }
}

extern "C" UINT GetOEMCP(void) {
    const UINT ansi = GetACP();
    if (ansi == 1252) return 437;
    if (ansi == 1251) return GetSystemDefaultLCID() == 3098 ? 855 : 866;
    return ansi;
}
