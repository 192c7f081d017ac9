// Names shown on a terminal: a file name may hold escape sequences and other control characters, which
// a terminal would act on (move the cursor, change the title, hide text). They are shown escaped.
#pragma once

#include <cstdio>
#include <string>

namespace vrk::options {

// text with C0 and C1 control characters and DEL written as \xNN (C1 as their UTF-8 bytes, \xC2\x9B).
// Other bytes, UTF-8 or not, are kept, backslashes too (they separate Windows folders).
inline std::string printable(const std::string& text) {
    std::string shown;
    shown.reserve(text.size());
    auto escape = [&shown](unsigned char c) {
        char hex[8];
        std::snprintf(hex, sizeof(hex), "\\x%02X", c);
        shown += hex;
    };
    for (size_t i = 0; i < text.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        const bool c1 = c == 0xC2 && i + 1 < text.size() && static_cast<unsigned char>(text[i + 1]) >= 0x80 &&
                        static_cast<unsigned char>(text[i + 1]) <= 0x9F;
        if (c < 0x20 || c == 0x7F) {
            escape(c);
        } else if (c1) {
            escape(c);
            escape(static_cast<unsigned char>(text[++i]));
        } else {
            shown += static_cast<char>(c);
        }
    }
    return shown;
}

}  // namespace vrk::options
