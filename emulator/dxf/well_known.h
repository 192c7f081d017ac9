#pragma once
// Record type names the reader and writer test for; interned first so that their ids are constants.

#include <cstdint>
#include <string_view>

namespace vrk::dxf {

enum WellKnownType : std::uint16_t {
    kWtUnknown,
    kWtSection,
    kWtEndsec,
    kWtTable,
    kWtEndtab,
    kWtBlock,
    kWtEndblk,
    kWtEof,
    kWtInsert,
    kWtPolyline,
    kWtAttrib,
    kWtVertex,
    kWtSeqend,
    kWtDictionary,
    kWtDictionaryWithDefault,
    kWtLayer,
    kWtBlockRecord,
    kWtDimstyle,
    kWtClass,
    kWtAcadver,
    kWtDwgcodepage,
    kWtHandseed,
    kWellKnownCount
};

inline constexpr std::string_view kWellKnownNames[kWellKnownCount] = {"?",        "SECTION",      "ENDSEC",
                                                                      "TABLE",    "ENDTAB",       "BLOCK",
                                                                      "ENDBLK",   "EOF",          "INSERT",
                                                                      "POLYLINE", "ATTRIB",       "VERTEX",
                                                                      "SEQEND",   "DICTIONARY",   "ACDBDICTIONARYWDFLT",
                                                                      "LAYER",    "BLOCK_RECORD", "DIMSTYLE",
                                                                      "CLASS",    "$ACADVER",     "$DWGCODEPAGE",
                                                                      "$HANDSEED"};

// ASCII case-insensitive comparison: symbol names are compared that way by the host.
inline bool equalsIgnoreCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        char x = a[i], y = b[i];
        if (x >= 'a' && x <= 'z') x = char(x - 32);
        if (y >= 'a' && y <= 'z') y = char(y - 32);
        if (x != y) return false;
    }
    return true;
}

}  // namespace vrk::dxf
