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

enum class SectionId : std::uint8_t { Header, Classes, Tables, Blocks, Entities, Objects, Thumbnail, AcDsData, Other };

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
            : mReader(data, b, e, line, encoding) {
            advance();
        }
        const Tag& operator*() const { return mTag; }
        const Tag* operator->() const { return &mTag; }
        iterator& operator++() {
            advance();
            return *this;
        }
        bool operator!=(const iterator& o) const { return mDone != o.mDone; }
        bool operator==(const iterator& o) const { return mDone == o.mDone; }

    private:
        void advance() { mDone = mReader.next(mTag) != TagReader::Status::Ok; }
        TagReader mReader{nullptr, 0, 0};
        Tag mTag;
        bool mDone = true;
    };
    TagRange(const char* data, std::size_t b, std::size_t e, std::uint64_t line, Encoding encoding)
        : mData(data), mB(b), mE(e), mLine(line), mEncoding(encoding) {}
    iterator begin() const { return iterator(mData, mB, mE, mLine, mEncoding); }
    iterator end() const { return iterator(); }

private:
    const char* mData;
    std::size_t mB, mE;
    std::uint64_t mLine;
    Encoding mEncoding;
};

class Document {
public:
    Document();
    ~Document();
    Document(const Document&) = delete;
    Document& operator=(const Document&) = delete;

    // --- The file as a whole ------------------------------------------------------------------------
    std::string_view bytes() const { return std::string_view(mBuffer.data(), mBuffer.size()); }
    // False once the bytes may no longer be those read (fs::FileBytes::intact): nothing may be saved
    // from them.
    bool bytesIntact() const { return mBuffer.intact(); }
    const std::string& path() const { return mPath; }          // as given to the reader ("" for in-memory)
    std::string_view acadVersion() const { return mAcadver; }  // "AC1032"
    int versionNumber() const { return mVersion; }             // 1032
    bool usesUtf8() const { return mVersion >= 1021; }         // AC1021 and later store UTF-8
    std::string_view codePage() const { return mCodepage; }    // $DWGCODEPAGE, e.g. "ANSI_1252"
    Handle handseed() const { return mHandseed; }              // $HANDSEED (0 if absent)
    Handle maxHandle() const { return mMaxHandle; }            // largest record handle
    Encoding encoding() const { return mEncoding; }            // ASCII or binary, as read
    bool crlf() const { return mCrlf; }                        // ASCII: the first line ends in CR LF
    std::size_t prefixEnd() const;  // bytes before the first record (BOM, comments, binary sentinel)
    std::size_t trailerBegin() const { return mTrailerBegin; }  // bytes after 0 EOF

    // --- Records ------------------------------------------------------------------------------------
    std::size_t recordCount() const { return mRecords.size(); }
    const Record& record(RecordIndex i) const { return mRecords[i]; }
    std::string_view typeName(RecordIndex i) const { return mTypeNames[mRecords[i].type]; }
    std::size_t recordBegin(RecordIndex i) const { return mRecords[i].begin; }
    std::size_t recordEnd(RecordIndex i) const {
        return i + 1 < mRecords.size() ? mRecords[i + 1].begin : mTrailerBegin;
    }
    std::string_view recordBytes(RecordIndex i) const {
        return std::string_view(mBuffer.data() + recordBegin(i), recordEnd(i) - recordBegin(i));
    }
    TagRange tags(RecordIndex i) const {
        // Line numbers are not kept per record (8 bytes a record, millions of records): tags read
        // here count lines from 0.
        return TagRange(mBuffer.data(), recordBegin(i), recordEnd(i), 0, mEncoding);
    }
    // The record with this handle, or kNoRecord.
    RecordIndex find(Handle h) const { return mHandles.find(h, mRecords); }

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
    const std::vector<SectionInfo>& sections() const { return mSections; }
    const SectionInfo* section(SectionId id) const;     // first such section, or nullptr
    const SectionInfo* sectionOf(RecordIndex i) const;  // nullptr for EOF
    const std::vector<TableInfo>& tables() const { return mTables; }
    const TableInfo* table(std::string_view name) const;  // nullptr when absent
    const TableInfo* tableOf(RecordIndex i) const;        // for TABLE, entries and ENDTAB
    // The BLOCK record whose span holds record i (BLOCK..ENDBLK inclusive), or kNoRecord.
    RecordIndex enclosingBlock(RecordIndex i) const;
    // Every BLOCK record with its ENDBLK, in file order (paired to a block record or not).
    const std::vector<std::pair<RecordIndex, RecordIndex>>& blockSpans() const { return mBlocks; }

    // --- Header ---------------------------------------------------------------------------------------
    RecordIndex headerVar(std::string_view name) const;  // "$ACADVER" -> record, or kNoRecord

    // --- Classes, layers, block records -------------------------------------------------------------
    const std::vector<ClassInfo>& classes() const { return mClasses; }
    const std::vector<LayerInfo>& layers() const { return mLayers; }
    const LayerInfo* layer(std::string_view name) const;  // exact, case-sensitive match on raw bytes
    const std::vector<BlockRecordInfo>& blockRecords() const { return mBlockRecords; }
    // Index into blockRecords() of the BLOCK_RECORD entry with this record index, or -1.
    int blockRecordSlot(RecordIndex blockRecord) const;

    // --- Entities -----------------------------------------------------------------------------------
    // Entities owned by a block record (blockRecords()[slot]), in file order: those in its BLOCK span and,
    // for *Model_Space and *Paper_Space, those in ENTITIES that name it by 330. Parts (ATTRIB, VERTEX,
    // SEQEND) are not listed: see parts().
    IndexSpan blockEntities(std::size_t slot) const;
    // The block record slot an entity belongs to, or -1.
    int entityBlockSlot(RecordIndex entity) const;
    std::string_view entityLayer(RecordIndex i) const { return value(i, 8); }  // "" means layer "0"
    bool invisible(RecordIndex i) const { return mRecords[i].has(kFlagInvisible); }
    bool isPart(RecordIndex i) const { return mRecords[i].has(kFlagPart); }
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
    // Adds to a set of records (one byte per record, nonzero for a member) everything its members own,
    // transitively, as ownedDirectly() tells; members' values may change (they stay nonzero). Returns
    // how many records were added. Builds the ownership index only for files whose owners come after
    // what they own, chain after chain.
    std::size_t addOwned(std::vector<std::uint8_t>& set) const;

private:
    friend class DocumentBuilder;
    void buildEntityIndex() const;
    void buildOwnership() const;
    // The owner looked up last: records next to each other mostly name the same one.
    struct OwnerLookup {
        Handle handle = kNoHandle;
        RecordIndex record = kNoRecord;
    };
    // The edges of ownedDirectly(), as add(owner, owned): those of i naming its owner (330, or the
    // entity a part follows); those i names (extension dictionary, hard dictionary entries); a block
    // record's BLOCK span; all of them.
    template <class Add>
    void forEachOwnerNamed(RecordIndex i, OwnerLookup& last, const Add& add) const;
    template <class Add>
    void forEachOwnedNamed(RecordIndex i, const Add& add) const;
    template <class Add>
    void forEachInBlockSpan(const BlockRecordInfo& b, const Add& add) const;
    template <class Add>
    void forEachOwnership(const Add& add) const;

    Buffer mBuffer;
    std::string mPath;
    std::vector<Record> mRecords;
    std::vector<std::string_view> mTypeNames;
    HandleIndex mHandles;
    std::size_t mTrailerBegin = 0;
    std::string_view mAcadver, mCodepage;
    int mVersion = 0;
    Handle mHandseed = kNoHandle;
    Handle mMaxHandle = kNoHandle;
    bool mCrlf = false;
    Encoding mEncoding = Encoding::Ascii;

    std::vector<SectionInfo> mSections;
    std::vector<TableInfo> mTables;
    std::vector<std::pair<RecordIndex, RecordIndex>> mBlocks;  // BLOCK and ENDBLK records in file order
    std::vector<int> mBlockSlots;                              // per mBlocks entry: its block record slot, or -1
    std::unordered_map<std::string_view, RecordIndex> mHeaderVars;
    std::vector<ClassInfo> mClasses;
    std::vector<LayerInfo> mLayers;
    std::vector<BlockRecordInfo> mBlockRecords;
    std::unordered_map<RecordIndex, int> mBlockRecordSlots;

    // Lazy indexes.
    mutable bool mEntityIndexBuilt = false;
    mutable std::vector<std::uint32_t> mEntityOffsets;  // per block record slot, into mEntityList
    mutable std::vector<RecordIndex> mEntityList;
    mutable bool mOwnershipBuilt = false;
    mutable std::vector<std::uint32_t> mOwnedOffsets;  // per record, into mOwnedList
    mutable std::vector<RecordIndex> mOwnedList;
};

}  // namespace vrk::dxf
