#include "text_codec.h"

#include <cerrno>
#include <cstdint>
#ifdef _WIN32
#include "iconv_win.h"
#else
#include <iconv.h>
#endif

#include "document.h"
#include "utf8.h"

namespace vrk::dxf {

namespace {

const iconv_t kNoIconv = reinterpret_cast<iconv_t>(std::intptr_t(-1));

bool iconvAvailable(const std::string& name) {
    iconv_t cd = iconv_open("UTF-8", name.c_str());
    if (cd == kNoIconv) return false;
    iconv_close(cd);
    return true;
}

int hexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

bool hex4(std::string_view s, std::size_t at, unsigned& out) {
    if (at + 4 > s.size()) return false;
    unsigned v = 0;
    for (std::size_t k = 0; k < 4; ++k) {
        int d = hexDigit(s[at + k]);
        if (d < 0) return false;
        v = (v << 4) | unsigned(d);
    }
    out = v;
    return true;
}

// Decodes one UTF-8 sequence at s[i]; returns its length, 0 when invalid or cut short.
std::size_t utf8Char(std::string_view s, std::size_t i, char32_t& cp) {
    const int len = decodeUtf8(reinterpret_cast<const unsigned char*>(s.data()) + i, s.size() - i, cp);
    return len > 0 ? std::size_t(len) : 0;
}

void appendEscape(std::string& out, unsigned unit) {
    static const char kHex[] = "0123456789ABCDEF";
    out += "\\U+";
    for (int shift = 12; shift >= 0; shift -= 4) out += kHex[(unit >> shift) & 0xF];
}

const char* mbcsCodePage(char n) {
    switch (n) {
        case '1': return "CP932";
        case '2': return "BIG5";
        case '3': return "CP949";
        case '4': return "JOHAB";
        case '5': return "GBK";
        default: return nullptr;
    }
}

// Runs iconv over all of in; undecodable bytes become U+FFFD (decode) or are reported to onBad (encode).
template <typename OnBad>
bool convert(iconv_t cd, std::string_view in, std::string& out, OnBad onBad) {
    bool ok = true;
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
    char* src = const_cast<char*>(in.data());
    std::size_t left = in.size();
    char buf[4096];
    while (left > 0) {
        char* dst = buf;
        std::size_t room = sizeof(buf);
        std::size_t r = iconv(cd, &src, &left, &dst, &room);
        out.append(buf, std::size_t(dst - buf));
        if (r != std::size_t(-1)) continue;
        if (errno == E2BIG) continue;
        ok = false;
        // EILSEQ or EINVAL (truncated sequence at the end): let the caller deal with the next char.
        std::size_t skip = onBad(std::string_view(src, left), out);
        if (skip == 0 || skip > left) skip = 1;
        src += skip;
        left -= skip;
        iconv(cd, nullptr, nullptr, nullptr, nullptr);
    }
    return ok;
}

}  // namespace

void appendUtf8(std::string& out, char32_t cp) {
    if (cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) cp = 0xFFFD;
    if (cp < 0x80) {
        out += char(cp);
    } else if (cp < 0x800) {
        out += char(0xC0 | (cp >> 6));
        out += char(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += char(0xE0 | (cp >> 12));
        out += char(0x80 | ((cp >> 6) & 0x3F));
        out += char(0x80 | (cp & 0x3F));
    } else {
        out += char(0xF0 | (cp >> 18));
        out += char(0x80 | ((cp >> 12) & 0x3F));
        out += char(0x80 | ((cp >> 6) & 0x3F));
        out += char(0x80 | (cp & 0x3F));
    }
}

std::string iconvNameForCodePage(std::string_view cp) {
    std::string upper;
    for (char c : cp) upper += (c >= 'a' && c <= 'z') ? char(c - 32) : c;
    std::string name;
    if (upper.rfind("ANSI_", 0) == 0) {
        std::string num = upper.substr(5);
        if (num == "950") name = "BIG5";
        else if (num == "1361") name = "JOHAB";
        else if (num == "936") name = "GBK";
        else name = "CP" + num;
    } else if (upper.rfind("DOS", 0) == 0) {
        name = "CP" + upper.substr(3);
    } else if (upper.rfind("ISO8859-", 0) == 0) {
        name = "ISO-8859-" + upper.substr(8);
    } else if (upper == "BIG5" || upper == "GB2312" || upper == "JOHAB" || upper == "MACINTOSH") {
        name = upper;
    } else if (upper == "KSC5601") {
        name = "CP949";
    }
    if (name.empty() || !iconvAvailable(name)) return "CP1252";
    return name;
}

struct TextCodec::Converters {
    iconv_t toUtf8 = kNoIconv;
    iconv_t fromUtf8 = kNoIconv;
    ~Converters() {
        if (toUtf8 != kNoIconv) iconv_close(toUtf8);
        if (fromUtf8 != kNoIconv) iconv_close(fromUtf8);
    }
};

TextCodec TextCodec::forDocument(const Document& doc) {
    if (doc.usesUtf8()) return TextCodec(true, "UTF-8");
    return TextCodec(false, iconvNameForCodePage(doc.codePage()));
}

TextCodec::TextCodec(bool utf8, std::string codePage)
    : mUtf8(utf8), mCodePage(std::move(codePage)), mConv(std::make_unique<Converters>()) {
    if (mUtf8) return;
    mConv->toUtf8 = iconv_open("UTF-8", mCodePage.c_str());
    mConv->fromUtf8 = iconv_open(mCodePage.c_str(), "UTF-8");
    if (mConv->toUtf8 == kNoIconv || mConv->fromUtf8 == kNoIconv) {
        mConv = std::make_unique<Converters>();
        mCodePage = "CP1252";
        mConv->toUtf8 = iconv_open("UTF-8", "CP1252");
        mConv->fromUtf8 = iconv_open("CP1252", "UTF-8");
    }
}

TextCodec::~TextCodec() = default;
TextCodec::TextCodec(TextCodec&&) noexcept = default;
TextCodec& TextCodec::operator=(TextCodec&&) noexcept = default;

bool TextCodec::decode(std::string_view raw, std::string& out) const {
    out.clear();
    out.reserve(raw.size());
    bool ok = true;
    auto plain = [&](std::string_view run) {
        if (run.empty()) return;
        if (mUtf8) {
            for (std::size_t i = 0; i < run.size();) {
                char32_t cp = 0;
                std::size_t len = utf8Char(run, i, cp);
                if (len == 0) {
                    appendUtf8(out, 0xFFFD);
                    ok = false;
                    ++i;
                } else {
                    out.append(run.data() + i, len);
                    i += len;
                }
            }
            return;
        }
        ok &= convert(mConv->toUtf8, run, out, [](std::string_view, std::string& o) {
            appendUtf8(o, 0xFFFD);
            return std::size_t(1);
        });
    };
    std::size_t runStart = 0;
    for (std::size_t i = 0; i + 1 < raw.size();) {
        if (raw[i] != '\\' || i + 2 >= raw.size() || raw[i + 2] != '+') {
            ++i;
            continue;
        }
        unsigned unit = 0;
        if (raw[i + 1] == 'U' && hex4(raw, i + 3, unit)) {
            plain(raw.substr(runStart, i - runStart));
            std::size_t next = i + 7;
            char32_t cp = unit;
            unsigned low = 0;
            if (unit >= 0xD800 && unit <= 0xDBFF && next + 7 <= raw.size() && raw.compare(next, 3, "\\U+") == 0 &&
                hex4(raw, next + 3, low) && low >= 0xDC00 && low <= 0xDFFF) {
                cp = 0x10000 + ((char32_t(unit) - 0xD800) << 10) + (low - 0xDC00);
                next += 7;
            }
            appendUtf8(out, cp);
            i = runStart = next;
            continue;
        }
        if (raw[i + 1] == 'M' && i + 8 <= raw.size() && mbcsCodePage(raw[i + 3]) && hex4(raw, i + 4, unit)) {
            plain(raw.substr(runStart, i - runStart));
            char bytes[2] = {char(unit >> 8), char(unit & 0xFF)};
            iconv_t cd = iconv_open("UTF-8", mbcsCodePage(raw[i + 3]));
            if (cd != kNoIconv) {
                ok &= convert(cd, std::string_view(bytes, 2), out, [](std::string_view, std::string& o) {
                    appendUtf8(o, 0xFFFD);
                    return std::size_t(1);
                });
                iconv_close(cd);
            } else {
                appendUtf8(out, 0xFFFD);
                ok = false;
            }
            i = runStart = i + 8;
            continue;
        }
        ++i;
    }
    plain(raw.substr(runStart));
    return ok;
}

bool TextCodec::encode(std::string_view utf8, std::string& out) const {
    out.clear();
    out.reserve(utf8.size());
    bool ok = true;
    if (mUtf8) {
        for (std::size_t i = 0; i < utf8.size();) {
            char32_t cp = 0;
            std::size_t len = utf8Char(utf8, i, cp);
            if (len == 0) {
                ok = false;
                ++i;
                continue;
            }
            out.append(utf8.data() + i, len);
            i += len;
        }
        return ok;
    }
    convert(mConv->fromUtf8, utf8, out, [&](std::string_view rest, std::string& o) -> std::size_t {
        char32_t cp = 0;
        std::size_t len = utf8Char(rest, 0, cp);
        if (len == 0) {
            ok = false;
            return 1;
        }
        if (cp >= 0x10000) {
            char32_t v = cp - 0x10000;
            appendEscape(o, unsigned(0xD800 + (v >> 10)));
            appendEscape(o, unsigned(0xDC00 + (v & 0x3FF)));
        } else {
            appendEscape(o, unsigned(cp));
        }
        return len;
    });
    return ok;
}

}  // namespace vrk::dxf
