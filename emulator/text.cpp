#include "emulator/text.h"

#include <cwctype>

#include "arx/windows_api.h"

namespace vrk::emu {

namespace {

bool isAscii(std::string_view s) {
    for (unsigned char c : s)
        if (c >= 0x80) return false;
    return true;
}

void appendCodePoint(std::wstring& out, char32_t cp) {
    if (sizeof(wchar_t) == 2 && cp >= 0x10000) {
        cp -= 0x10000;
        out.push_back(static_cast<wchar_t>(0xD800 + (cp >> 10)));
        out.push_back(static_cast<wchar_t>(0xDC00 + (cp & 0x3FF)));
    } else {
        out.push_back(static_cast<wchar_t>(cp));
    }
}

}  // namespace

std::wstring utf8ToWide(std::string_view s) {
    std::wstring out;
    out.reserve(s.size());
    for (size_t i = 0; i < s.size();) {
        const unsigned char c = static_cast<unsigned char>(s[i]);
        int extra = c < 0x80 ? 0 : (c >> 5) == 6 ? 1 : (c >> 4) == 14 ? 2 : (c >> 3) == 30 ? 3 : -1;
        if (extra < 0 || i + extra >= s.size() + (extra == 0 ? 1 : 0)) {
            out.push_back(0xFFFD);
            ++i;
            continue;
        }
        char32_t cp = extra == 0 ? c : c & (0x3F >> extra);
        bool ok = true;
        for (int k = 1; k <= extra; ++k) {
            const unsigned char cc = static_cast<unsigned char>(s[i + k]);
            if ((cc & 0xC0) != 0x80) ok = false;
            cp = (cp << 6) | (cc & 0x3F);
        }
        if (!ok) {
            out.push_back(0xFFFD);
            ++i;
            continue;
        }
        appendCodePoint(out, cp);
        i += extra + 1;
    }
    return out;
}

std::string wideToUtf8(std::wstring_view w) {
    std::string out;
    out.reserve(w.size());
    for (size_t i = 0; i < w.size(); ++i) {
        char32_t cp = static_cast<char32_t>(w[i]);
        if (sizeof(wchar_t) == 2 && cp >= 0xD800 && cp < 0xDC00 && i + 1 < w.size()) {
            const char32_t lo = static_cast<char32_t>(w[i + 1]);
            if (lo >= 0xDC00 && lo < 0xE000) {
                cp = 0x10000 + ((cp - 0xD800) << 10) + (lo - 0xDC00);
                ++i;
            }
        }
        if (cp < 0x80) {
            out.push_back(static_cast<char>(cp));
        } else if (cp < 0x800) {
            out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
            out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
        } else if (cp < 0x10000) {
            out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
            out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
        } else {
            out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
            out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
        }
    }
    return out;
}

HostString toHost(std::string_view utf8) {
#if defined(UNICODE)
    if (isAscii(utf8)) return HostString(utf8.begin(), utf8.end());
    return utf8ToWide(utf8);
#else
    if (isAscii(utf8)) return HostString(utf8);
    const std::wstring wide = utf8ToWide(utf8);
    const int n =
        WideCharToMultiByte(CP_ACP, 0, wide.c_str(), static_cast<int>(wide.size()), nullptr, 0, nullptr, nullptr);
    if (n <= 0) return HostString();
    std::string ansi(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(CP_ACP, 0, wide.c_str(), static_cast<int>(wide.size()), ansi.data(), n, nullptr, nullptr);
    return ansi;
#endif
}

bool isUtf8(std::string_view text) {
    return text.empty() || MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, text.data(),
                                               static_cast<int>(text.size()), nullptr, 0) > 0;
}

bool toHostExactly(std::string_view utf8, HostString& out) {
    out = toHost(utf8);
#if defined(UNICODE)
    if (isUtf8(utf8)) return true;
    out.clear();
    return false;
#else
    // The ANSI form is exact when it converts back to the same text: no default character, no best fit.
    if (fromHost(out.c_str()) == utf8) return true;
    out.clear();
    return false;
#endif
}

std::string cannotTakeExactly(std::string_view utf8) {
    if (!isUtf8(utf8))
        return "it is not valid UTF-8, the encoding the programs take names and text in; rename it, or run "
               "with a UTF-8 locale";
    return notInCodePage();
}

std::string notInCodePage() {
#if defined(_WIN32)
    // The real system's code page is the system locale's, which a program cannot change.
    return "the ANSI code page " + std::to_string(GetACP()) +
           " of this narrow (2004-2006) host cannot represent all its characters; use a 2007 or 2008 "
           "release, or a system locale whose code page can";
#else
    return "the ANSI code page " + std::to_string(GetACP()) +
           " of this narrow (2004-2006) host cannot represent all its characters; use --lcid with a system "
           "locale whose code page can, or a 2007 or 2008 release";
#endif
}

std::string fromHost(const ACHAR* text) {
    if (text == nullptr) return std::string();
#if defined(UNICODE)
    return wideToUtf8(text);
#else
    const std::string_view ansi(text);
    if (isAscii(ansi)) return std::string(ansi);
    const int n = MultiByteToWideChar(CP_ACP, 0, ansi.data(), static_cast<int>(ansi.size()), nullptr, 0);
    if (n <= 0) return std::string();
    std::wstring wide(static_cast<size_t>(n), L'\0');
    MultiByteToWideChar(CP_ACP, 0, ansi.data(), static_cast<int>(ansi.size()), wide.data(), n);
    return wideToUtf8(wide);
#endif
}

std::string foldCase(std::string_view utf8) {
    if (isAscii(utf8)) {
        std::string out(utf8);
        for (char& c : out)
            if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
        return out;
    }
    std::wstring wide = utf8ToWide(utf8);
    for (wchar_t& c : wide) c = static_cast<wchar_t>(std::towupper(static_cast<wint_t>(c)));
    return wideToUtf8(wide);
}

}  // namespace vrk::emu
