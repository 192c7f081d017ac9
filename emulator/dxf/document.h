#pragma once
// A drawing file held in memory as read, with an index of its records.
//
// The document owns the file's bytes; every string_view it hands out points into them and lives as long
// as the document. Records are indexed eagerly only as far as a single pass allows (type, handle, owner,
// extension dictionary, a few flags); anything else is read from the record's bytes on demand. Lazy
// indexes (entities per block, ownership) are built on first use: a Document is not thread-safe.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "buffer.h"
#include "handle.h"
#include "handle_index.h"
#include "record.h"
#include "tag.h"

namespace vrk::dxf {

enum class SectionId : std::uint8_t {
    Header,
    Classes,
    Tables,
    Blocks,
    Entities,
    Objects,
    Thumbnail,
    AcDsData,
    Other
};

struct SectionInfo {
    SectionId id = SectionId::Other;
    std::string_view name;
    RecordIndex begin = kNoRecord;  // the SECTION record
    RecordIndex end = kNoRecord;    // the ENDSEC record
};

struct TableInfo {
    std::string_view name;          // LAYER, BLOCK_RECORD, ...
    RecordIndex begin = kNoRecord;  // the TABLE record
    RecordIndex end = kNoRecord;    // the ENDTAB record
};

struct BlockRecordInfo {
    RecordIndex record = kNoRecord;      // the BLOCK_RECORD table entry
    std::string_view name;               // group 2
    RecordIndex blockBegin = kNoRecord;  // its BLOCK record in BLOCKS (kNoRecord if missing)
    RecordIndex blockEnd = kNoRecord;    // its ENDBLK record
};

struct LayerInfo {
    RecordIndex record = kNoRecord;
    std::string_view name;  // group 2, raw bytes (see TextCodec)
    int color = 7;          // group 62; negative when the layer is off
    int flags = 0;          // group 70
    bool off() const { return color < 0; }
    bool frozen() const { return (flags & 1) != 0; }
    bool locked() const { return (flags & 4) != 0; }
};

struct ClassInfo {
    RecordIndex record = kNoRecord;
    std::string_view dxfName;     // 1: the record type name objects of this class use
    std::string_view cppName;     // 2
    std::string_view appName;     // 3
    long long proxyFlags = 0;     // 90
    long long instanceCount = 0;  // 91
    bool wasProxy = false;        // 280
    bool isEntity = false;        // 281
};

struct DictionaryEntry {
    std::string_view key;  // group 3, raw bytes
    Handle handle = kNoHandle;
    bool hardOwner = false;  // 360 rather than 350
};

// A view of consecutive record indexes.
struct IndexSpan {
    const RecordIndex* first = nullptr;
    std::size_t count = 0;
    const RecordIndex* begin() const { return first; }
    const RecordIndex* end() const { return first + count; }
    std::size_t size() const { return count; }
    bool empty() const { return count == 0; }
    RecordIndex operator[](std::size_t i) const { return first[i]; }
};

// The tags of one record, read from the document's bytes while iterating (no allocation).
class TagRange {
public:
    class iterator {
    public:
        iterator() = default;
        iterator(const char* data, std::size_t b, std::size_t e, std::uint64_t line, Encoding encoding)
            : reader_(data, b, e, line, encoding) {
            advance();
        }
        const Tag& operator*() const { return tag_; }
        const Tag* operator->() const { return &tag_; }
        iterator& operator++() {
            advance();
            return *this;
        }
        bool operator!=(const iterator& o) const { return done_ != o.done_; }
        bool operator==(const iterator& o) const { return done_ == o.done_; }

    private:
        void advance() { done_ = reader_.next(tag_) != TagReader::Status::Ok; }
        TagReader reader_{nullptr, 0, 0};
        Tag tag_;
        bool done_ = true;
    };
    TagRange(const char* data, std::size_t b, std::size_t e, std::uint64_t line, Encoding encoding)
        : data_(data), b_(b), e_(e), line_(line), encoding_(encoding) {}
    iterator begin() const { return iterator(data_, b_, e_, line_, encoding_); }
    iterator end() const { return iterator(); }

private:
    const char* data_;
    std::size_t b_, e_;
    std::uint64_t line_;
    Encoding encoding_;
};

class Document {
public:
    Document();
    ~Document();
    Document(const Document&) = delete;
    Document& operator=(const Document&) = delete;

    // --- The file as a whole ------------------------------------------------------------------------
    std::string_view bytes() const { return std::string_view(buffer_.data(), buffer_.size()); }
    const std::string& path() const { return path_; }          // as given to the reader ("" for in-memory)
    std::string_view acadVersion() const { return acadver_; }  // "AC1032"
    int versionNumber() const { return version_; }             // 1032
    bool usesUtf8() const { return version_ >= 1021; }         // AC1021 and later store UTF-8
    std::string_view codePage() const { return codepage_; }    // $DWGCODEPAGE, e.g. "ANSI_1252"
    Handle handseed() const { return handseed_; }              // $HANDSEED (0 if absent)
    Handle maxHandle() const { return maxHandle_; }            // largest record handle
    Encoding encoding() const { return encoding_; }            // ASCII or binary, as read
    bool crlf() const { return crlf_; }                        // ASCII: the first line ends in CR LF
    std::size_t prefixEnd() const;  // bytes before the first record (BOM, comments, binary sentinel)
    std::size_t trailerBegin() const { return trailerBegin_; }  // bytes after 0 EOF

    // --- Records ------------------------------------------------------------------------------------
    std::size_t recordCount() const { return records_.size(); }
    const Record& record(RecordIndex i) const { return records_[i]; }
    std::string_view typeName(RecordIndex i) const { return typeNames_[records_[i].type]; }
    std::size_t recordBegin(RecordIndex i) const { return records_[i].begin; }
    std::size_t recordEnd(RecordIndex i) const {
        return i + 1 < records_.size() ? records_[i + 1].begin : trailerBegin_;
    }
    std::string_view recordBytes(RecordIndex i) const {
        return std::string_view(buffer_.data() + recordBegin(i), recordEnd(i) - recordBegin(i));
    }
    TagRange tags(RecordIndex i) const {
        // Line numbers are not kept per record (8 bytes a record, millions of records): tags read
        // here count lines from 0.
        return TagRange(buffer_.data(), recordBegin(i), recordEnd(i), 0, encoding_);
    }
    // The record with this handle, or kNoRecord.
    RecordIndex find(Handle h) const { return handles_.find(h, records_); }

    // First value of the group code in the record (the type tag is code 0); false when absent. The
    // value as stored: text for strings in either encoding; use intValue for numbers.
    bool findValue(RecordIndex i, int code, std::string_view& out) const;
    std::string_view value(RecordIndex i, int code) const;         // "" when absent
    bool intValue(RecordIndex i, int code, long long& out) const;  // false when absent or not an integer
    // Handles in the record's 102 {ACAD_REACTORS group (330s).
    std::vector<Handle> reactors(RecordIndex i) const;
    // Handles in a block record's 102 {BLKREFS group (331s).
    std::vector<Handle> blockReferences(RecordIndex i) const;

    // --- Where a record sits ------------------------------------------------------------------------
    const std::vector<SectionInfo>& sections() const { return sections_; }
    const SectionInfo* section(SectionId id) const;     // first such section, or nullptr
    const SectionInfo* sectionOf(RecordIndex i) const;  // nullptr for EOF
    const std::vector<TableInfo>& tables() const { return tables_; }
    const TableInfo* table(std::string_view name) const;  // nullptr when absent
    const TableInfo* tableOf(RecordIndex i) const;        // for TABLE, entries and ENDTAB
    // The BLOCK record whose span holds record i (BLOCK..ENDBLK inclusive), or kNoRecord.
    RecordIndex enclosingBlock(RecordIndex i) const;
    // Every BLOCK record with its ENDBLK, in file order (paired to a block record or not).
    const std::vector<std::pair<RecordIndex, RecordIndex>>& blockSpans() const { return blocks_; }

    // --- Header ---------------------------------------------------------------------------------------
    RecordIndex headerVar(std::string_view name) const;  // "$ACADVER" -> record, or kNoRecord

    // --- Classes, layers, block records -------------------------------------------------------------
    const std::vector<ClassInfo>& classes() const { return classes_; }
    const std::vector<LayerInfo>& layers() const { return layers_; }
    const LayerInfo* layer(std::string_view name) const;  // exact, case-sensitive match on raw bytes
    const std::vector<BlockRecordInfo>& blockRecords() const { return blockRecords_; }
    // Index into blockRecords() of the BLOCK_RECORD entry with this record index, or -1.
    int blockRecordSlot(RecordIndex blockRecord) const;

    // --- Entities -----------------------------------------------------------------------------------
    // Entities owned by a block record (blockRecords()[slot]), in file order: those in its BLOCK span and,
    // for *Model_Space and *Paper_Space, those in ENTITIES that name it by 330. Parts (ATTRIB, VERTEX,
    // SEQEND) are not listed: see parts().
    IndexSpan blockEntities(std::size_t slot) const;
    // Frees the lists behind blockEntities() once a caller has copied what it needs (they are made
    // again if asked for): a drawing of millions of entities would otherwise carry them twice.
    void releaseEntityIndex() const;
    // The block record slot an entity belongs to, or -1.
    int entityBlockSlot(RecordIndex entity) const;
    std::string_view entityLayer(RecordIndex i) const { return value(i, 8); }  // "" means layer "0"
    bool invisible(RecordIndex i) const { return records_[i].has(kFlagInvisible); }
    bool isPart(RecordIndex i) const { return records_[i].has(kFlagPart); }
    bool isInsert(RecordIndex i) const;
    // ATTRIB/VERTEX/SEQEND records following an INSERT or POLYLINE, in file order.
    std::vector<RecordIndex> parts(RecordIndex entity) const;
    // INSERT column and row counts (70, 71); 1 when absent.
    int insertColumns(RecordIndex i) const;
    int insertRows(RecordIndex i) const;

    // --- Dictionaries and ownership -----------------------------------------------------------------
    bool isDictionary(RecordIndex i) const;  // DICTIONARY or ACDBDICTIONARYWDFLT
    // The named object dictionary: the first DICTIONARY in OBJECTS (owner 0), or kNoRecord.
    RecordIndex namedObjectsDictionary() const;
    std::vector<DictionaryEntry> dictionaryEntries(RecordIndex i) const;
    // The same one by one, without building the list.
    void forEachDictionaryEntry(RecordIndex i, const std::function<void(const DictionaryEntry&)>& fn) const;
    // Records that i owns directly: records naming it by 330, its extension dictionary, hard (360)
    // dictionary entries, its parts, and for a block record its BLOCK, ENDBLK and entities.
    IndexSpan ownedDirectly(RecordIndex i) const;
    // Everything i owns, transitively, in breadth-first order; i itself not included.
    std::vector<RecordIndex> ownedClosure(RecordIndex i) const;

private:
    friend class DocumentBuilder;
    void buildEntityIndex() const;
    void buildOwnership() const;
    void forEachOwnership(const std::function<void(RecordIndex, RecordIndex)>& add) const;

    Buffer buffer_;
    std::string path_;
    std::vector<Record> records_;
    std::vector<std::string_view> typeNames_;
    HandleIndex handles_;
    std::size_t trailerBegin_ = 0;
    std::string_view acadver_, codepage_;
    int version_ = 0;
    Handle handseed_ = kNoHandle;
    Handle maxHandle_ = kNoHandle;
    bool crlf_ = false;
    Encoding encoding_ = Encoding::Ascii;

    std::vector<SectionInfo> sections_;
    std::vector<TableInfo> tables_;
    std::vector<std::pair<RecordIndex, RecordIndex>> blocks_;  // BLOCK and ENDBLK records in file order
    std::vector<int> blockSlots_;  // per blocks_ entry: its block record slot, or -1
    std::unordered_map<std::string_view, RecordIndex> headerVars_;
    std::vector<ClassInfo> classes_;
    std::vector<LayerInfo> layers_;
    std::vector<BlockRecordInfo> blockRecords_;
    std::unordered_map<RecordIndex, int> blockRecordSlots_;

    // Lazy indexes.
    mutable bool entityIndexBuilt_ = false;
    mutable std::vector<std::uint32_t> entityOffsets_;  // per block record slot, into entityList_
    mutable std::vector<RecordIndex> entityList_;
    mutable bool ownershipBuilt_ = false;
    mutable std::vector<std::uint32_t> ownedOffsets_;  // per record, into ownedList_
    mutable std::vector<RecordIndex> ownedList_;
};

}  // namespace vrk::dxf
