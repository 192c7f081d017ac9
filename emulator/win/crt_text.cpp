// The C runtime's duplicating and case-blind wide functions that glibc lacks under these names.
#include <climits>
#include <cstdlib>
#include <cstring>
#include <cwchar>

#include "arx/text.h"

namespace {
constexpr int kCompareError = INT_MAX;  // _NLSCMPERROR, for a null argument

// The plug-in never sets a locale, and in the "C" locale the runtime folds ASCII letters only.
wchar_t asciiLower(wchar_t c) { return (c >= L'A' && c <= L'Z') ? static_cast<wchar_t>(c - L'A' + L'a') : c; }
}  // namespace

extern "C" int _wcsicmp(const wchar_t* a, const wchar_t* b) {
    if (!a || !b) return kCompareError;
    for (;; ++a, ++b) {
        // Compare as unsigned units, as with 16-bit wchar_t on Windows.
        const unsigned long ca = static_cast<unsigned long>(asciiLower(*a));
        const unsigned long cb = static_cast<unsigned long>(asciiLower(*b));
        if (ca != cb) return ca < cb ? -1 : 1;
        if (ca == 0) return 0;
    }
}

extern "C" char* _strdup(const char* s) {
    if (!s) return nullptr;
    const size_t size = std::strlen(s) + 1;
    char* copy = static_cast<char*>(std::malloc(size));
    if (copy) std::memcpy(copy, s, size);
    return copy;
}

extern "C" wchar_t* _wcsdup(const wchar_t* s) {
    if (!s) return nullptr;
    const size_t size = (std::wcslen(s) + 1) * sizeof(wchar_t);
    wchar_t* copy = static_cast<wchar_t*>(std::malloc(size));
    if (copy) std::memcpy(copy, s, size);
    return copy;
}
