// What the helper tests need from the platform beyond the Windows API.  The same tests run against
// the real registry and code pages on Windows, where the emulator's controls do not exist and the
// tests that need them skip.
#pragma once

#include <gtest/gtest.h>

#include <cstddef>
#include <string>
#include <vector>

#include "arx/windows_api.h"

#if !defined(_WIN32)
#include "emulator/win/win_control.h"
#endif

using tstring = std::basic_string<TCHAR>;

// An ASCII text in the build's character type.
inline tstring T(const std::string& ascii) { return tstring(ascii.begin(), ascii.end()); }

// Keys left open; always 0 where the count cannot be seen.
inline std::size_t OpenKeys() {
#if defined(_WIN32)
    return 0;
#else
    return vrk::win::openKeyCount();
#endif
}

// The system locales a test can run in: all the modelled ones here, the machine's own on Windows.
inline std::vector<LCID> LocalesToTry() {
#if defined(_WIN32)
    return {GetSystemDefaultLCID()};
#else
    return {1033, 2052, 1028};
#endif
}

inline void SelectLocale(LCID lcid) {
#if defined(_WIN32)
    (void)lcid;
#else
    vrk::win::setSystemLcid(lcid);
#endif
}

inline void RestoreLocale() {
#if !defined(_WIN32)
    vrk::win::clearSystemLcid();
#endif
}

// Makes the registry refuse writes, as for a user without write access; skips where it cannot.
#if defined(_WIN32)
#define REFUSE_REGISTRY_WRITES(onStoreOnly) GTEST_SKIP() << "write refusal needs the emulated registry"
#else
#define REFUSE_REGISTRY_WRITES(onStoreOnly)                                              \
    vrk::win::setRegistryWrites((onStoreOnly) ? vrk::win::RegistryWrites::refusedOnStore \
                                              : vrk::win::RegistryWrites::refused)
#endif

inline void AllowRegistryWrites() {
#if !defined(_WIN32)
    vrk::win::setRegistryWrites(vrk::win::RegistryWrites::allowed);
#endif
}
