#pragma once
// Text values between the file's encoding and UTF-8.
//
// AC1018 and older store text in the code page named by $DWGCODEPAGE, with characters outside it written
// as \U+XXXX (and, in old files, \M+nXXXX for double-byte code pages); AC1021 and later store UTF-8.
// Only values that changed need encoding: untouched values are written back as the bytes read.

#include <memory>
#include <string>
#include <string_view>

namespace vrk::dxf {

class Document;

// iconv name for a $DWGCODEPAGE value ("ANSI_1252" -> "CP1252", "ANSI_936" -> "CP936"); CP1252 when the
// value is empty or unknown.
std::string iconvNameForCodePage(std::string_view dwgCodePage);

class TextCodec {
public:
    // UTF-8 for AC1021+, otherwise the drawing's code page.
    static TextCodec forDocument(const Document& doc);
    // utf8: the file stores UTF-8; otherwise codePage is an iconv name ("CP1252").
    TextCodec(bool utf8, std::string codePage);
    ~TextCodec();
    TextCodec(TextCodec&&) noexcept;
    TextCodec& operator=(TextCodec&&) noexcept;

    bool utf8() const { return mUtf8; }
    const std::string& codePage() const { return mCodePage; }

    // File bytes -> UTF-8, expanding \U+XXXX and \M+nXXXX. Bytes that do not decode become U+FFFD;
    // returns false when that happened (out is still filled).
    bool decode(std::string_view raw, std::string& out) const;
    std::string decode(std::string_view raw) const {
        std::string s;
        decode(raw, s);
        return s;
    }

    // UTF-8 -> file bytes; characters the code page lacks become \U+XXXX. Returns false for invalid
    // UTF-8 input (out then holds what could be converted).
    bool encode(std::string_view utf8, std::string& out) const;
    std::string encode(std::string_view utf8) const {
        std::string s;
        encode(utf8, s);
        return s;
    }

private:
    struct Converters;
    bool mUtf8;
    std::string mCodePage;
    std::unique_ptr<Converters> mConv;
};

// Appends the UTF-8 form of a code point (U+FFFD for invalid ones).
void appendUtf8(std::string& out, char32_t cp);

}  // namespace vrk::dxf
