#include "emulator/win/code_pages.h"

#include <cerrno>
#include <clocale>
#include <cstring>
#include <cwctype>
#include <iconv.h>
#include <locale.h>

namespace vrk::win::detail {
namespace {

const char* charsetOf(UINT resolved) {
    switch (resolved) {
        case 1252: return "CP1252";
        case 437: return "IBM437";
        case 936: return "CP936";
        case 950: return "CP950";
        case 932: return "CP932";
        case 949: return "CP949";
        case 1251: return "CP1251";
        case 866: return "IBM866";
        case 855: return "IBM855";
        case CP_UTF8: return "UTF-8";
        default: return nullptr;
    }
}

bool isDoubleByte(UINT resolved) { return resolved == 936 || resolved == 950 || resolved == 932 || resolved == 949; }

// One iconv descriptor for the length of one conversion.
class Iconv {
public:
    Iconv(const char* to, const char* from) : mCd(iconv_open(to, from)) {}
    ~Iconv() {
        if (ok()) iconv_close(mCd);
    }
    Iconv(const Iconv&) = delete;
    Iconv& operator=(const Iconv&) = delete;
    bool ok() const { return mCd != reinterpret_cast<iconv_t>(-1); }
    iconv_t get() const { return mCd; }

private:
    iconv_t mCd;
};

// What Windows gives for a byte that starts no character: single-byte code pages pass the byte
// through as the control character of the same value, UTF-8 gives U+FFFD, the double-byte code
// pages their default Unicode character.
wchar_t replacementFor(UINT resolved, unsigned char byte) {
    if (resolved == CP_UTF8) return 0xFFFD;
    if (isDoubleByte(resolved)) return 0x30FB;
    return byte;
}

}  // namespace

UINT resolveCodePage(UINT codePage) {
    if (codePage == CP_ACP) return GetACP();
    if (codePage == CP_OEMCP) return GetOEMCP();
    return codePage;
}

bool isKnownCodePage(UINT resolved) { return charsetOf(resolved) != nullptr; }

bool isLeadByte(UINT resolved, unsigned char c) {
    // Shift JIS leaves 0xA0-0xDF to single-byte katakana.
    if (resolved == 932) return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
    return isDoubleByte(resolved) && c >= 0x81 && c <= 0xFE;
}

Decoded decode(UINT resolved, const char* bytes, size_t count) {
    Decoded out;
    Iconv cd("WCHAR_T", charsetOf(resolved));
    if (!cd.ok()) {
        out.invalid = true;
        return out;
    }
    char* in = const_cast<char*>(bytes);
    size_t inLeft = count;
    wchar_t chunk[256];
    while (inLeft > 0) {
        char* o = reinterpret_cast<char*>(chunk);
        size_t oLeft = sizeof(chunk);
        const size_t r = iconv(cd.get(), &in, &inLeft, &o, &oLeft);
        out.text.append(chunk, reinterpret_cast<wchar_t*>(o) - chunk);
        if (r == static_cast<size_t>(-1) && errno != E2BIG) {
            // EILSEQ, or EINVAL for a lead byte at the end: replace one byte and go on after it.
            out.invalid = true;
            out.text.push_back(replacementFor(resolved, static_cast<unsigned char>(*in)));
            ++in;
            --inLeft;
            iconv(cd.get(), nullptr, nullptr, nullptr, nullptr);
        }
    }
    return out;
}

Encoded encode(UINT resolved, const wchar_t* chars, size_t count, const char* defaultChar) {
    Encoded out;
    std::string fallback;
    if (defaultChar && *defaultChar) {
        const bool pair = isLeadByte(resolved, static_cast<unsigned char>(defaultChar[0])) && defaultChar[1];
        fallback.assign(defaultChar, pair ? 2 : 1);
    } else {
        fallback = resolved == CP_UTF8 ? "\xEF\xBF\xBD" : "?";
    }
    Iconv cd(charsetOf(resolved), "WCHAR_T");
    if (!cd.ok()) {
        out.usedDefault = true;
        return out;
    }
    char* in = reinterpret_cast<char*>(const_cast<wchar_t*>(chars));
    size_t inLeft = count * sizeof(wchar_t);
    char chunk[1024];
    while (inLeft > 0) {
        char* o = chunk;
        size_t oLeft = sizeof(chunk);
        const size_t r = iconv(cd.get(), &in, &inLeft, &o, &oLeft);
        out.text.append(chunk, o - chunk);
        if (r == static_cast<size_t>(-1) && errno != E2BIG) {
            out.usedDefault = true;
            out.text += fallback;
            in += sizeof(wchar_t);
            inLeft -= sizeof(wchar_t);
            iconv(cd.get(), nullptr, nullptr, nullptr, nullptr);
        }
    }
    return out;
}

wchar_t toUpper(wchar_t c) {
    // The registry and the C runtime's multibyte functions fold case the same way in every process
    // locale, so use a fixed Unicode-aware one.
    static const locale_t unicode = newlocale(LC_CTYPE_MASK, "C.UTF-8", static_cast<locale_t>(nullptr));
    if (unicode) return static_cast<wchar_t>(towupper_l(static_cast<wint_t>(c), unicode));
    return (c >= L'a' && c <= L'z') ? static_cast<wchar_t>(c - L'a' + L'A') : c;
}

}  // namespace vrk::win::detail
