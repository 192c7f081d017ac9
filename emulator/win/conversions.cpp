// MultiByteToWideChar and WideCharToMultiByte with Windows' argument and size contracts.
// Wide units are wchar_t, so a character beyond U+FFFF counts as one unit here (two on Windows).
#include <algorithm>
#include <cstring>
#include <cwchar>

#include "emulator/win/code_pages.h"

namespace {

using namespace vrk::win::detail;

int fail(DWORD error) {
    SetLastError(error);
    return 0;
}

// Copies a converted text out under the capacity rules shared by both directions.
template <typename Char>
int deliver(const std::basic_string<Char>& text, Char* out, int capacity) {
    if (text.size() > 0x7FFFFFFF) return fail(ERROR_INVALID_PARAMETER);
    const int needed = static_cast<int>(text.size());
    if (capacity == 0) return needed;
    // Like Windows, fill what fits before reporting that the buffer is too small.
    std::copy_n(text.data(), std::min(needed, capacity), out);
    if (needed > capacity) return fail(ERROR_INSUFFICIENT_BUFFER);
    return needed;
}

}  // namespace

extern "C" int MultiByteToWideChar(UINT CodePage, DWORD dwFlags, LPCSTR lpMultiByteStr, int cbMultiByte,
                                   LPWSTR lpWideCharStr, int cchWideChar) {
    if (!lpMultiByteStr || cbMultiByte == 0 || cbMultiByte < -1 || cchWideChar < 0 ||
        (cchWideChar > 0 && !lpWideCharStr) ||
        static_cast<const void*>(lpMultiByteStr) == static_cast<const void*>(lpWideCharStr))
        return fail(ERROR_INVALID_PARAMETER);
    const UINT codePage = resolveCodePage(CodePage);
    if (!isKnownCodePage(codePage)) return fail(ERROR_INVALID_PARAMETER);
    const DWORD allowed = codePage == CP_UTF8 ? MB_ERR_INVALID_CHARS : MB_ERR_INVALID_CHARS | MB_PRECOMPOSED;
    if (dwFlags & ~allowed) return fail(ERROR_INVALID_FLAGS);

    const size_t count = cbMultiByte == -1 ? std::strlen(lpMultiByteStr) + 1 : static_cast<size_t>(cbMultiByte);
    const Decoded decoded = decode(codePage, lpMultiByteStr, count);
    if (decoded.invalid && (dwFlags & MB_ERR_INVALID_CHARS)) return fail(ERROR_NO_UNICODE_TRANSLATION);
    return deliver(decoded.text, lpWideCharStr, cchWideChar);
}

extern "C" int WideCharToMultiByte(UINT CodePage, DWORD dwFlags, LPCWSTR lpWideCharStr, int cchWideChar,
                                   LPSTR lpMultiByteStr, int cbMultiByte, LPCSTR lpDefaultChar,
                                   LPBOOL lpUsedDefaultChar) {
    if (!lpWideCharStr || cchWideChar == 0 || cchWideChar < -1 || cbMultiByte < 0 ||
        (cbMultiByte > 0 && !lpMultiByteStr) ||
        static_cast<const void*>(lpWideCharStr) == static_cast<const void*>(lpMultiByteStr))
        return fail(ERROR_INVALID_PARAMETER);
    const UINT codePage = resolveCodePage(CodePage);
    if (!isKnownCodePage(codePage)) return fail(ERROR_INVALID_PARAMETER);
    // UTF-8 has no default character: Windows refuses both arguments for it.
    if (codePage == CP_UTF8 && (lpDefaultChar || lpUsedDefaultChar)) return fail(ERROR_INVALID_PARAMETER);
    if (dwFlags != 0) return fail(ERROR_INVALID_FLAGS);

    const size_t count = cchWideChar == -1 ? std::wcslen(lpWideCharStr) + 1 : static_cast<size_t>(cchWideChar);
    const Encoded encoded = encode(codePage, lpWideCharStr, count, lpDefaultChar);
    if (lpUsedDefaultChar) *lpUsedDefaultChar = encoded.usedDefault ? TRUE : FALSE;
    return deliver(encoded.text, lpMultiByteStr, cbMultiByte);
}
