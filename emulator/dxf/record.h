#pragma once
// Per-record metadata kept for every "0 TYPE" group (and every "9 $NAME" header variable).
// Kept small on purpose: a drawing may hold millions of records; tags are read again on demand.

#include <cstdint>

#include "handle.h"

namespace vrk::dxf {

using RecordIndex = std::uint32_t;
constexpr RecordIndex kNoRecord = 0xFFFFFFFFu;

enum class RecordKind : std::uint8_t {
    SectionBegin,  // 0 SECTION / 2 name (and, for THUMBNAILIMAGE, its data groups)
    SectionEnd,    // 0 ENDSEC
    HeaderVar,     // 9 $NAME and its value groups
    Class,         // 0 CLASS in CLASSES
    TableBegin,    // 0 TABLE (the symbol table object itself)
    TableEnd,      // 0 ENDTAB
    TableEntry,    // LAYER, BLOCK_RECORD, ...
    BlockBegin,    // 0 BLOCK
    BlockEnd,      // 0 ENDBLK
    Entity,        // in BLOCKS or ENTITIES
    Object,        // in OBJECTS
    Raw,           // anything in a section the reader does not model
    Eof,           // 0 EOF
};

enum RecordFlag : std::uint8_t {
    kFlagInvisible = 1,  // entity with 60 1
    kFlagPart = 2,       // ATTRIB/VERTEX/SEQEND that belongs to the entity before it (see Record::parent)
    kFlagReactors = 4,   // has a 102 {ACAD_REACTORS group
    kFlagXdata = 8,      // has 1001 application data
    kFlagBlkrefs = 16,   // has a 102 {BLKREFS group
    kFlagPointers = 32,  // has handle references besides its owner and extension dictionary
};

struct Record {
    std::uint64_t begin = 0;         // byte offset of the first group; the record ends where the next begins
    Handle handle = kNoHandle;       // 5 (105 for DIMSTYLE)
    Handle owner = kNoHandle;        // the 330 outside any 102 group
    Handle xdict = kNoHandle;        // 360 inside 102 {ACAD_XDICTIONARY
    RecordIndex parent = kNoRecord;  // part: the owning entity; other BLOCKS entity: its BLOCK record
    std::uint16_t type = 0;          // interned type name (Document::typeName)
    RecordKind kind = RecordKind::Raw;
    std::uint8_t flags = 0;

    bool has(RecordFlag f) const { return (flags & f) != 0; }
};

}  // namespace vrk::dxf
