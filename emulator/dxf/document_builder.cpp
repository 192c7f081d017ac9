#include "document_builder.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <functional>
#include <system_error>
#include <thread>
#include <vector>

#include "well_known.h"

namespace vrk::dxf {

namespace {

SectionId sectionIdOf(std::string_view name) {
    if (name == "HEADER") return SectionId::Header;
    if (name == "CLASSES") return SectionId::Classes;
    if (name == "TABLES") return SectionId::Tables;
    if (name == "BLOCKS") return SectionId::Blocks;
    if (name == "ENTITIES") return SectionId::Entities;
    if (name == "OBJECTS") return SectionId::Objects;
    if (name == "THUMBNAILIMAGE") return SectionId::Thumbnail;
    if (name == "ACDSDATA") return SectionId::AcDsData;
    return SectionId::Other;
}

bool takesHandle(RecordKind k) {
    switch (k) {
        case RecordKind::TableBegin:
        case RecordKind::TableEntry:
        case RecordKind::BlockBegin:
        case RecordKind::BlockEnd:
        case RecordKind::Entity:
        case RecordKind::Object: return true;
        default: return false;
    }
}

// Files smaller than this are read in one go: a second thread would not pay for itself.
constexpr std::size_t kSplitMinSize = std::size_t(4) << 20;

// Where the code line ending at the '\n' at nl begins, when it reads "0" (blanks around it allowed);
// npos otherwise.
std::size_t codeZeroLineBefore(const char* data, std::size_t lo, std::size_t nl) {
    std::size_t e = nl;
    while (e > lo && (data[e - 1] == ' ' || data[e - 1] == '\t' || data[e - 1] == '\r')) --e;
    if (e == lo || data[e - 1] != '0') return std::string_view::npos;
    --e;
    while (e > lo && (data[e - 1] == ' ' || data[e - 1] == '\t')) --e;
    if (e == lo || data[e - 1] != '\n') return std::string_view::npos;
    return e;
}

// Entities drawing programs write most; any other record in ENTITIES or OBJECTS is guessed to be an
// object (a wrong guess costs only the second thread's work).
bool commonEntityType(std::string_view t) {
    static constexpr std::string_view kTypes[] = {
        "LINE",  "CIRCLE",    "ARC",        "INSERT", "LWPOLYLINE", "POLYLINE", "TEXT",    "MTEXT",    "ATTDEF",
        "HATCH", "SPLINE",    "DIMENSION",  "POINT",  "SOLID",      "3DFACE",   "ELLIPSE", "LEADER",   "MULTILEADER",
        "RAY",   "XLINE",     "TRACE",      "REGION", "3DSOLID",    "IMAGE",    "WIPEOUT", "VIEWPORT", "MLINE",
        "SHAPE", "TOLERANCE", "ACAD_TABLE", "HELIX",  "OLE2FRAME",  "MESH",     "BODY"};
    for (std::string_view k : kTypes) {
        if (t == k) return true;
    }
    return false;
}

}  // namespace

// Where the second half begins and what the structure is guessed to be there. BLOCK (in BLOCKS, no
// block open) and SECTION (between sections) are boundaries where nothing of the record before
// carries over but what the guess says; so is any record in ENTITIES or OBJECTS but a part (ATTRIB,
// VERTEX, SEQEND), guessing the section from its type.
struct DocumentBuilder::Split {
    std::size_t at = 0;  // offset of the code line of the second half's first record
    bool inSection = false;
    SectionId section = SectionId::Other;

    Document part;
    ReadError partErr;
    bool partOk = false;
    std::size_t partHandles = 0;
    std::atomic<bool> cancel{false};
    std::thread thread;

    ~Split() { finish(); }
    void finish() {
        cancel = true;
        if (thread.joinable()) thread.join();
    }

    // A split from `from` on, before `limit`, or none.
    static std::unique_ptr<Split> find(const char* data, std::size_t start, std::size_t n, std::size_t from,
                                       std::size_t limit) {
        if (from >= n || std::thread::hardware_concurrency() < 2) return nullptr;
        from = std::max(start, from);
        // A block or section boundary near `from` is the safest guess, else the first other record.
        const std::size_t near = std::min(limit, from + (limit - from) / 4);
        std::unique_ptr<Split> best;
        for (std::string_view name : {std::string_view("\nBLOCK"), std::string_view("\nSECTION")}) {
            // Skipping by the pattern's length: a search that stops at every line end costs more than
            // the split saves.
            const std::boyer_moore_horspool_searcher<const char*> searcher(name.begin(), name.end());
            const char* const last = data + std::min(n, best ? best->at : near);
            for (const char* p = std::search(data + from, last, searcher); p != last;
                 p = std::search(p + 1, last, searcher)) {
                const std::size_t e = std::size_t(p - data) + name.size();
                const bool wholeLine =
                    e < n && (data[e] == '\n' || (data[e] == '\r' && e + 1 < n && data[e + 1] == '\n'));
                const std::size_t line =
                    wholeLine ? codeZeroLineBefore(data, start, std::size_t(p - data)) : std::string_view::npos;
                if (line == std::string_view::npos) continue;
                best = std::make_unique<Split>();
                best->at = line;
                best->inSection = name == "\nBLOCK";
                best->section = best->inSection ? SectionId::Blocks : SectionId::Other;
                break;
            }
        }
        return best ? std::move(best) : anyRecord(data, start, n, from, near);
    }

    // The first record from `from` on in ENTITIES or OBJECTS, by its type, which must look like one.
    static std::unique_ptr<Split> anyRecord(const char* data, std::size_t start, std::size_t n, std::size_t from,
                                            std::size_t limit) {
        const std::string_view bytes(data, n);
        for (std::size_t nl = bytes.find('\n', from); nl != std::string_view::npos && nl < limit;
             nl = bytes.find('\n', nl + 1)) {
            const std::size_t nameEnd = bytes.find('\n', nl + 1);
            if (nameEnd == std::string_view::npos) break;
            std::string_view name = bytes.substr(nl + 1, nameEnd - nl - 1);
            if (!name.empty() && name.back() == '\r') name.remove_suffix(1);
            const bool looksLikeType =
                !name.empty() &&
                name.find_first_not_of("ABCDEFGHIJKLMNOPQRSTUVWXYZ_0123456789") == std::string_view::npos &&
                name.find_first_not_of("0123456789") != std::string_view::npos;
            const std::size_t line = looksLikeType ? codeZeroLineBefore(data, start, nl) : std::string_view::npos;
            if (line == std::string_view::npos) continue;
            if (name == "ATTRIB" || name == "VERTEX" || name == "SEQEND" || name == "SECTION" || name == "ENDSEC" ||
                name == "EOF" || name == "TABLE" || name == "ENDTAB" || name == "BLOCK" || name == "ENDBLK" ||
                name == "CLASS") {
                continue;
            }
            auto split = std::make_unique<Split>();
            split->at = line;
            split->inSection = true;
            split->section = commonEntityType(name) ? SectionId::Entities : SectionId::Objects;
            return split;
        }
        return nullptr;
    }
};

DocumentBuilder::DocumentBuilder(Document& doc, ReadError& err) : mD(doc), mErr(err) {
    for (std::uint16_t i = 0; i < kWellKnownCount; ++i) {
        mD.mTypeNames.push_back(kWellKnownNames[i]);
        mTypeIds.emplace(kWellKnownNames[i], i);
    }
}

DocumentBuilder::DocumentBuilder(Document& part, ReadError& err, const char* data, std::size_t size, const Split& split)
    : DocumentBuilder(part, err) {
    mData = data;
    mSize = size;
    mResumed = true;
    mCancel = &split.cancel;
    mInSection = split.inSection;
    mSection = split.section;
    // The section the split lies in, for its ENDSEC; adopt() hands its end to the whole document's.
    if (split.inSection) mD.mSections.push_back(SectionInfo{split.section, {}, kNoRecord, kNoRecord});
    mD.mRecords.reserve((size - split.at) / 48 + 16);
}

bool DocumentBuilder::fail(ReadStatus status, std::string reason, std::uint64_t line) {
    mErr.status = status;
    mErr.reason = std::move(reason);
    mErr.line = line;
    return false;
}

bool DocumentBuilder::failAt(ReadStatus status, std::string reason, std::uint64_t offset) {
    fail(status, std::move(reason), 0);
    mErr.offset = offset;
    return false;
}

bool DocumentBuilder::fail(ReadStatus status, std::string reason, const Tag& t) {
    return t.binary ? failAt(status, std::move(reason), t.begin) : fail(status, std::move(reason), t.line);
}

bool DocumentBuilder::failInRecord(ReadStatus status, std::string reason) {
    if (mD.mEncoding == Encoding::Binary) return failAt(status, std::move(reason), mRecordBegin);
    return fail(status, std::move(reason), mRecordLine);
}

// Before R13 binary files wrote group codes in one byte; those releases are refused as in ASCII.
bool DocumentBuilder::refuseOneByteCodes() {
    std::string_view bytes = mD.bytes().substr(kBinarySentinel.size());
    std::string release = "binary with one-byte group codes";
    const std::size_t at = bytes.substr(0, 256).find(std::string_view("$ACADVER\0\1", 10));
    if (at != std::string_view::npos) {
        std::string_view rest = bytes.substr(at + 10, 8);
        release = std::string(rest.substr(0, rest.find('\0')));
    }
    return failAt(ReadStatus::Unsupported,
                  "R12 and older drawing files (" + release + ") are not supported; use AC1015 or later",
                  kBinarySentinel.size());
}

// A file that does not even start like a drawing (a picture, a text) gets no line-numbered detail.
bool DocumentBuilder::notADrawing() {
    const std::string_view bytes = mD.bytes();
    mErr.dwg = bytes.size() >= 6 && bytes.substr(0, 4) == "AC10" &&
               std::isdigit(static_cast<unsigned char>(bytes[4])) && std::isdigit(static_cast<unsigned char>(bytes[5]));
    return fail(ReadStatus::Malformed, "not a DXF drawing (it does not begin with 0 SECTION)", 0);
}

std::uint16_t DocumentBuilder::intern(std::string_view name) {
    // Records of one type tend to come in runs: try the last one before hashing.
    if (mLastType < mD.mTypeNames.size() && mD.mTypeNames[mLastType] == name) return mLastType;
    auto it = mTypeIds.find(name);
    if (it != mTypeIds.end()) return mLastType = it->second;
    if (mD.mTypeNames.size() >= 0xFFFF) return kWtUnknown;  // a hostile file; the bytes stay intact anyway
    auto id = std::uint16_t(mD.mTypeNames.size());
    mD.mTypeNames.push_back(name);
    mTypeIds.emplace(name, id);
    return id;
}

bool DocumentBuilder::build(Buffer bytes, const std::string& path) {
    mD.mBuffer = std::move(bytes);
    mD.mPath = path;
    mData = mD.mBuffer.data();
    mSize = mD.mBuffer.size();
    if (!scan()) return false;
    return indexHandles() && finishIndexes();
}

bool DocumentBuilder::scan() {
    const char* data = mData;
    const std::size_t n = mSize;
    std::size_t start = 0;
    if (mD.bytes().substr(0, kBinarySentinel.size()) == kBinarySentinel) {
        mD.mEncoding = Encoding::Binary;
        start = kBinarySentinel.size();
        // The first group is 0 SECTION: two zero bytes from R13 on, one before.
        if (n > start + 1 && data[start] == 0 && data[start + 1] != 0) return refuseOneByteCodes();
    } else {
        if (n >= 3 && std::memcmp(data, "\xEF\xBB\xBF", 3) == 0) start = 3;
        if (const void* nl = std::memchr(data, '\n', n)) {
            mD.mCrlf = nl != data && static_cast<const char*>(nl)[-1] == '\r';
        }
    }
    // Records take some 100-200 bytes in typical drawings. Reserving generously costs address space
    // only: pages nobody writes are never backed by memory.
    mD.mRecords.reserve(n / 48 + 16);

    // Binary files are read in one go: a group code has no pattern to split at.
    std::unique_ptr<Split> split;
    if (mD.mEncoding == Encoding::Ascii && mSplitFrom != std::string_view::npos) {
        split = Split::find(data, start, n, mSplitFrom, n);
    } else if (mD.mEncoding == Encoding::Ascii && n >= kSplitMinSize) {
        split = Split::find(data, start, n, n / 2, n - n / 8);
    }
    if (split) {
        Split* s = split.get();
        try {
            s->thread = std::thread([s, data, n] {
                try {
                    DocumentBuilder part(s->part, s->partErr, data, n, *s);
                    TagReader reader(data, s->at, n, 1, Encoding::Ascii);
                    s->partOk = part.scanTags(reader, nullptr) && part.mEofSeen;
                    s->partHandles = part.mHandleCount;
                } catch (...) {
                    s->partOk = false;  // out of memory: the first half reads on alone
                }
            });
        } catch (const std::system_error&) {
            split.reset();  // no thread to be had
        }
    }
    TagReader reader(data, start, n, 1, mD.mEncoding);
    return scanTags(reader, split.get());
}

// Reads tags to the end. With a split, stops at its offset if the second half can be taken there.
bool DocumentBuilder::scanTags(TagReader& reader, Split* split) {
    const bool binary = mD.mEncoding == Encoding::Binary;
    const std::size_t n = mSize;
    // Where reading stopped at the end of the data, for messages.
    auto failAtEnd = [&](const TagReader& reader, std::string reason) {
        return binary ? failAt(ReadStatus::Malformed, std::move(reason), n)
                      : fail(ReadStatus::Malformed, std::move(reason), reader.line());
    };

    Tag t;
    for (;;) {
        TagReader::Status st = reader.next(t);
        if (st == TagReader::Status::End) break;
        if (st == TagReader::Status::Error) {
            if (noRecordsYet() && !binary) return notADrawing();
            return binary ? failAt(ReadStatus::Malformed, reader.error(), reader.errorOffset())
                          : fail(ReadStatus::Malformed, reader.error(), reader.line());
        }
        if (split != nullptr && t.begin >= split->at) {
            // A split found by pattern may lie inside a value: only a record starting exactly there counts.
            if (t.begin == split->at && t.code == 0) {
                if (!closeRecord()) return false;
                if (atSplit(*split)) return true;
            }
            split->finish();
            split = nullptr;
        }
        if (t.code == 0) {
            if (mCancel != nullptr && mCancel->load(std::memory_order_relaxed)) return false;
            if (noRecordsYet() && !binary && trimBlanks(t.value) != "SECTION") return notADrawing();
            if (!startRecord(t)) return false;
            if (mEofSeen) {
                mD.mTrailerBegin = t.end;
                return closeRecord();
            }
            continue;
        }
        if (t.code == 9 && mInSection && mSection == SectionId::Header && !mNeedSectionName) {
            if (!startHeaderVar(t)) return false;
            continue;
        }
        if (!mOpen) {
            if (t.code == 999) continue;  // comments before the first section
            if (noRecordsYet() && !binary) return notADrawing();
            return fail(ReadStatus::Malformed, "expected 0 SECTION", t);
        }
        if (!applyTag(t)) return false;
    }
    if (!closeRecord()) return false;
    // A binary file carries the sentinel, so it is a drawing file, if an empty one.
    if (noRecordsYet()) return binary ? failAtEnd(reader, "no records") : notADrawing();
    if (mInSection) {
        std::string name = mD.mSections.empty() ? std::string("?") : std::string(mD.mSections.back().name);
        return failAtEnd(reader, "missing ENDSEC of section " + name + " (file truncated?)");
    }
    return failAtEnd(reader, "missing 0 EOF (file truncated?)");
}

// The first half has closed its last record just before the split. Whether the second half was read
// from exactly this state, and if so its records are taken as they are.
bool DocumentBuilder::atSplit(Split& split) {
    const bool sameState = mInSection == split.inSection && !mNeedSectionName && !mTableOpen &&
                           mBlockOpen == kNoRecord && !mEofSeen &&
                           (!mInSection || (mSection == split.section && mD.mSections.back().id == split.section));
    if (!sameState) return false;
    if (split.thread.joinable()) split.thread.join();
    return split.partOk && adopt(split);
}

bool DocumentBuilder::adopt(Split& split) {
    Document& part = split.part;
    const std::size_t base = mD.mRecords.size();
    // What the second half cannot know (the header, earlier sections, the record count so far) is
    // checked here; where it would have mattered, the first half reads on alone.
    if (base + part.mRecords.size() >= kNoRecord - 1) return false;
    if (part.mVersion != 0 || !part.mHeaderVars.empty() || part.mHandseed != kNoHandle || !part.mCodepage.empty()) {
        return false;
    }
    if (part.mTypeNames.size() >= 0xFFFF) return false;
    const std::size_t placeholder = split.inSection ? 1 : 0;
    for (std::size_t k = placeholder; k < part.mSections.size(); ++k) {
        if (part.mSections[k].id == SectionId::Other) continue;
        for (const SectionInfo& s : mD.mSections) {
            if (s.id == part.mSections[k].id) return false;
        }
    }

    // Type names first seen in the second half take the next numbers in the order they appear, as
    // they would have reading on.
    std::vector<std::uint16_t> types(part.mTypeNames.size());
    for (std::size_t k = 0; k < types.size(); ++k) {
        types[k] = k < kWellKnownCount ? std::uint16_t(k) : intern(part.mTypeNames[k]);
    }
    const auto shift = [base](RecordIndex i) { return i == kNoRecord ? i : RecordIndex(i + base); };
    if (placeholder != 0 && part.mSections[0].end != kNoRecord) mD.mSections.back().end = shift(part.mSections[0].end);
    for (std::size_t k = placeholder; k < part.mSections.size(); ++k) {
        SectionInfo s = part.mSections[k];
        s.begin = shift(s.begin);
        s.end = shift(s.end);
        mD.mSections.push_back(s);
    }
    for (TableInfo t : part.mTables) {
        t.begin = shift(t.begin);
        t.end = shift(t.end);
        mD.mTables.push_back(t);
    }
    for (const auto& b : part.mBlocks) mD.mBlocks.emplace_back(shift(b.first), shift(b.second));
    mD.mRecords.insert(mD.mRecords.end(), part.mRecords.begin(), part.mRecords.end());
    for (auto r = mD.mRecords.begin() + std::ptrdiff_t(base); r != mD.mRecords.end(); ++r) {
        r->parent = shift(r->parent);
        r->type = types[r->type];
    }
    std::vector<Record>().swap(part.mRecords);
    mHandleCount += split.partHandles;
    mReadInTwo = true;
    mD.mMaxHandle = std::max(mD.mMaxHandle, part.mMaxHandle);
    mD.mTrailerBegin = part.mTrailerBegin;
    mEofSeen = true;
    return true;
}

bool DocumentBuilder::startRecord(const Tag& t) {
    if (!closeRecord()) return false;
    if (mD.mRecords.size() >= kNoRecord - 1) return fail(ReadStatus::Malformed, "too many records", t);
    const auto index = RecordIndex(mD.mRecords.size());
    Record r;
    r.begin = t.begin;
    mRecordLine = t.line;
    mRecordBegin = t.begin;
    r.type = intern(trimBlanks(t.value));
    const std::uint16_t type = r.type;

    if (!mInSection) {
        if (type == kWtSection) {
            r.kind = RecordKind::SectionBegin;
            mInSection = true;
            mNeedSectionName = true;
        } else if (type == kWtEof) {
            r.kind = RecordKind::Eof;
            mEofSeen = true;
        } else {
            return fail(ReadStatus::Malformed, "'" + std::string(t.value) + "' outside a section", t);
        }
    } else if (type == kWtSection || type == kWtEof) {
        return fail(ReadStatus::Malformed, "missing ENDSEC of section " + std::string(mD.mSections.back().name), t);
    } else if (type == kWtEndsec) {
        if (mTableOpen) {
            return fail(ReadStatus::Malformed, "missing ENDTAB of table " + std::string(mD.mTables.back().name), t);
        }
        if (mBlockOpen != kNoRecord) return fail(ReadStatus::Malformed, "missing ENDBLK", t);
        r.kind = RecordKind::SectionEnd;
        mD.mSections.back().end = index;
        mInSection = false;
    } else {
        switch (mSection) {
            case SectionId::Classes: r.kind = type == kWtClass ? RecordKind::Class : RecordKind::Raw; break;
            case SectionId::Tables:
                if (type == kWtTable) {
                    if (mTableOpen) {
                        return fail(ReadStatus::Malformed,
                                    "missing ENDTAB of table " + std::string(mD.mTables.back().name), t);
                    }
                    r.kind = RecordKind::TableBegin;
                    mTableOpen = true;
                    mNeedTableName = true;
                    mD.mTables.push_back(TableInfo{{}, index, kNoRecord});
                } else if (type == kWtEndtab) {
                    if (!mTableOpen) return fail(ReadStatus::Malformed, "ENDTAB without TABLE", t);
                    r.kind = RecordKind::TableEnd;
                    mD.mTables.back().end = index;
                    mTableOpen = false;
                } else {
                    if (!mTableOpen) return fail(ReadStatus::Malformed, "table entry outside TABLE", t);
                    r.kind = RecordKind::TableEntry;
                }
                break;
            case SectionId::Blocks:
                if (type == kWtBlock) {
                    if (mBlockOpen != kNoRecord) return fail(ReadStatus::Malformed, "missing ENDBLK", t);
                    r.kind = RecordKind::BlockBegin;
                    mBlockOpen = index;
                } else if (type == kWtEndblk) {
                    if (mBlockOpen == kNoRecord) return fail(ReadStatus::Malformed, "ENDBLK without BLOCK", t);
                    r.kind = RecordKind::BlockEnd;
                    r.parent = mBlockOpen;
                    mD.mBlocks.emplace_back(mBlockOpen, index);
                    mBlockOpen = kNoRecord;
                } else {
                    if (mBlockOpen == kNoRecord) {
                        return fail(ReadStatus::Malformed, "entity outside BLOCK ... ENDBLK", t);
                    }
                    r.kind = RecordKind::Entity;
                }
                break;
            case SectionId::Entities: r.kind = RecordKind::Entity; break;
            case SectionId::Objects: r.kind = RecordKind::Object; break;
            default: r.kind = RecordKind::Raw; break;
        }
    }

    if (r.kind == RecordKind::Entity) {
        const bool partType = type == kWtAttrib || type == kWtVertex || type == kWtSeqend;
        if (partType && mLastMain != kNoRecord) {
            r.parent = mLastMain;
            r.flags |= kFlagPart;
            if (type == kWtSeqend) mLastMain = kNoRecord;
        } else {
            mLastMain = (type == kWtInsert || type == kWtPolyline) ? index : kNoRecord;
            r.parent = mBlockOpen;
        }
    } else {
        mLastMain = kNoRecord;
    }

    mD.mRecords.push_back(r);
    mOpen = true;
    mHaveHandle = mHaveOwner = mInXdata = false;
    mGroup = kNone;
    mTakesHandle = takesHandle(r.kind);
    return true;
}

bool DocumentBuilder::startHeaderVar(const Tag& t) {
    if (!closeRecord()) return false;
    const auto index = RecordIndex(mD.mRecords.size());
    Record r;
    r.begin = t.begin;
    mRecordLine = t.line;
    mRecordBegin = t.begin;
    r.kind = RecordKind::HeaderVar;
    std::string_view name = trimBlanks(t.value);
    r.type = intern(name);
    mD.mHeaderVars.emplace(name, index);
    mD.mRecords.push_back(r);
    mOpen = true;
    mHaveHandle = mHaveOwner = mInXdata = false;
    mGroup = kNone;
    mTakesHandle = false;
    mLastMain = kNoRecord;
    return true;
}

bool DocumentBuilder::checkVersion(std::string_view v, const Tag& line) {
    v = trimBlanks(v);
    long long num = 0;
    if (v.size() != 6 || v.substr(0, 2) != "AC" || !parseInt(v.substr(2), num)) {
        return fail(ReadStatus::Unsupported, "unknown drawing release '" + std::string(v) + "'", line);
    }
    if (num <= 1009) {
        return fail(ReadStatus::Unsupported,
                    "R12 and older drawing files (" + std::string(v) + ") are not supported; use AC1015 or later",
                    line);
    }
    if (num < 1015 || num > 1032) {
        return fail(ReadStatus::Unsupported,
                    "drawing release " + std::string(v) + " is not supported (AC1015 to AC1032 are)", line);
    }
    mD.mAcadver = v;
    mD.mVersion = int(num);
    return true;
}

bool DocumentBuilder::applyTag(const Tag& t) {
    Record& r = mD.mRecords.back();
    switch (t.code) {
        case 2:
            if (mNeedSectionName && r.kind == RecordKind::SectionBegin) {
                std::string_view name = trimBlanks(t.value);
                SectionId id = sectionIdOf(name);
                if (id != SectionId::Other) {
                    for (const SectionInfo& s : mD.mSections) {
                        if (s.id == id) {
                            return fail(ReadStatus::Malformed, "section " + std::string(name) + " appears twice", t);
                        }
                    }
                }
                mD.mSections.push_back(SectionInfo{id, name, RecordIndex(mD.mRecords.size() - 1), kNoRecord});
                mSection = id;
                mNeedSectionName = false;
            } else if (mNeedTableName && r.kind == RecordKind::TableBegin) {
                mD.mTables.back().name = trimBlanks(t.value);
                mNeedTableName = false;
            }
            break;
        case 5:
            if (mTakesHandle && !mHaveHandle && !mInXdata && r.type != kWtDimstyle) {
                if (!parseHandle(t.value, r.handle) || r.handle == kNoHandle) {
                    return fail(ReadStatus::Malformed, "bad handle '" + std::string(t.value) + "'", t);
                }
                mHaveHandle = true;
            } else if (r.kind == RecordKind::HeaderVar && r.type == kWtHandseed) {
                if (!parseHandle(t.value, mD.mHandseed)) {
                    return fail(ReadStatus::Malformed, "bad $HANDSEED '" + std::string(t.value) + "'", t);
                }
            }
            break;
        case 105:
            if (mTakesHandle && !mHaveHandle && r.type == kWtDimstyle) {
                if (!parseHandle(t.value, r.handle) || r.handle == kNoHandle) {
                    return fail(ReadStatus::Malformed, "bad handle '" + std::string(t.value) + "'", t);
                }
                mHaveHandle = true;
            }
            break;
        case 102: {
            if (mInXdata) break;
            std::string_view v = trimBlanks(t.value);
            if (!v.empty() && v[0] == '{') {
                if (v == "{ACAD_REACTORS") {
                    mGroup = kReactors;
                    r.flags |= kFlagReactors;
                } else if (v == "{ACAD_XDICTIONARY") {
                    mGroup = kXdict;
                } else if (v == "{BLKREFS") {
                    mGroup = kBlkrefs;
                    r.flags |= kFlagBlkrefs;
                } else {
                    mGroup = kOtherGroup;
                }
            } else if (v == "}") {
                mGroup = kNone;
            }
            break;
        }
        case 330:
            if (!mInXdata && mGroup == kNone && !mHaveOwner && mTakesHandle) {
                if (!parseHandle(t.value, r.owner)) {
                    return fail(ReadStatus::Malformed, "bad owner handle '" + std::string(t.value) + "'", t);
                }
                mHaveOwner = true;
            } else {
                r.flags |= kFlagPointers;
            }
            break;
        case 360:
            if (!mInXdata && mGroup == kXdict && r.xdict == kNoHandle) {
                if (!parseHandle(t.value, r.xdict)) {
                    return fail(ReadStatus::Malformed, "bad extension dictionary handle '" + std::string(t.value) + "'",
                                t);
                }
            } else {
                r.flags |= kFlagPointers;
            }
            break;
        case 60:
            if (r.kind == RecordKind::Entity && !mInXdata) {
                long long v = 0;
                if (integerValue(t, v) && v == 1) r.flags |= kFlagInvisible;
            }
            break;
        case 1:
            if (r.kind == RecordKind::HeaderVar && r.type == kWtAcadver && mD.mVersion == 0) {
                if (!checkVersion(t.value, t)) return false;
            }
            break;
        case 3:
            if (r.kind == RecordKind::HeaderVar && r.type == kWtDwgcodepage) mD.mCodepage = trimBlanks(t.value);
            break;
        case 1001:
            mInXdata = true;
            r.flags |= kFlagXdata;
            break;
        default:
            if (isPointerCode(t.code)) r.flags |= kFlagPointers;
            break;
    }
    return true;
}

// Records keep no line number; an error message counts the lines before the offset.
std::string DocumentBuilder::where(std::uint64_t offset) const {
    if (mD.mEncoding == Encoding::Binary) return "byte " + std::to_string(offset);
    return "line " + std::to_string(1 + std::count(mData, mData + offset, '\n'));
}

bool DocumentBuilder::closeRecord() {
    if (!mOpen) return true;
    mOpen = false;
    Record& r = mD.mRecords.back();
    if (mNeedSectionName && r.kind == RecordKind::SectionBegin) {
        return failInRecord(ReadStatus::Malformed, "SECTION without a name");
    }
    if (r.kind == RecordKind::TableBegin && mNeedTableName) {
        mNeedTableName = false;  // a nameless table is odd but harmless: its bytes are kept
    }
    if (r.kind == RecordKind::SectionEnd && mD.mSections.back().id == SectionId::Header && mD.mVersion == 0) {
        return failInRecord(ReadStatus::Unsupported,
                            "no $ACADVER in HEADER: R12 or older drawing files are not supported");
    }
    if (mHaveHandle) {
        ++mHandleCount;
        if (r.handle > mD.mMaxHandle) mD.mMaxHandle = r.handle;
    }
    return true;
}

// Once the records are known the index is sized exactly, and made in one go.
bool DocumentBuilder::indexHandles() {
    mD.mHandles.reserve(mHandleCount);
    for (RecordIndex i = 0; i < mD.mRecords.size(); ++i) {
        const Record& r = mD.mRecords[i];
        if (r.handle == kNoHandle) continue;
        RecordIndex other = mD.mHandles.insert(i, mD.mRecords);
        if (other != kNoRecord) {
            const std::string reason =
                "duplicate handle " + formatHandle(r.handle) + " (also at " + where(mD.mRecords[other].begin) + ")";
            if (mD.mEncoding == Encoding::Binary) return failAt(ReadStatus::Malformed, reason, r.begin);
            return fail(ReadStatus::Malformed, reason, 1 + std::count(mData, mData + r.begin, '\n'));
        }
    }
    return true;
}

bool DocumentBuilder::finishIndexes() {
    if (mD.mVersion == 0) {
        return fail(ReadStatus::Unsupported, "no $ACADVER in HEADER: R12 or older drawing files are not supported", 0);
    }
    static const struct {
        SectionId id;
        const char* name;
    } kRequired[] = {{SectionId::Tables, "TABLES"},
                     {SectionId::Blocks, "BLOCKS"},
                     {SectionId::Entities, "ENTITIES"},
                     {SectionId::Objects, "OBJECTS"}};
    for (const auto& req : kRequired) {
        if (mD.section(req.id) == nullptr) {
            return fail(ReadStatus::Malformed, std::string("missing section ") + req.name, 0);
        }
    }

    for (RecordIndex i = 0; i < mD.mRecords.size(); ++i) {
        const Record& r = mD.mRecords[i];
        if (r.kind == RecordKind::Class) {
            ClassInfo c;
            c.record = i;
            c.dxfName = mD.value(i, 1);
            c.cppName = mD.value(i, 2);
            c.appName = mD.value(i, 3);
            long long v = 0;
            if (mD.intValue(i, 90, v)) c.proxyFlags = v;
            if (mD.intValue(i, 91, v)) c.instanceCount = v;
            if (mD.intValue(i, 280, v)) c.wasProxy = v != 0;
            if (mD.intValue(i, 281, v)) c.isEntity = v != 0;
            mD.mClasses.push_back(c);
        } else if (r.kind == RecordKind::TableEntry && r.type == kWtLayer) {
            LayerInfo l;
            l.record = i;
            l.name = mD.value(i, 2);
            long long v = 0;
            if (mD.intValue(i, 62, v)) l.color = int(v);
            if (mD.intValue(i, 70, v)) l.flags = int(v);
            mD.mLayers.push_back(l);
        } else if (r.kind == RecordKind::TableEntry && r.type == kWtBlockRecord) {
            BlockRecordInfo b;
            b.record = i;
            b.name = mD.value(i, 2);
            mD.mBlockRecordSlots.emplace(i, int(mD.mBlockRecords.size()));
            mD.mBlockRecords.push_back(b);
        }
    }

    // Pair each BLOCK with its block record: by owner, or by name for files that leave 330 out.
    mD.mBlockSlots.assign(mD.mBlocks.size(), -1);
    for (std::size_t k = 0; k < mD.mBlocks.size(); ++k) {
        const RecordIndex b = mD.mBlocks[k].first;
        int slot = -1;
        RecordIndex owner = mD.find(mD.mRecords[b].owner);
        if (owner != kNoRecord) slot = mD.blockRecordSlot(owner);
        if (slot < 0) {
            std::string_view name = mD.value(b, 2);
            for (std::size_t s = 0; s < mD.mBlockRecords.size(); ++s) {
                if (equalsIgnoreCase(mD.mBlockRecords[s].name, name)) {
                    slot = int(s);
                    break;
                }
            }
        }
        if (slot >= 0 && mD.mBlockRecords[std::size_t(slot)].blockBegin == kNoRecord) {
            mD.mBlockRecords[std::size_t(slot)].blockBegin = b;
            mD.mBlockRecords[std::size_t(slot)].blockEnd = mD.mBlocks[k].second;
            mD.mBlockSlots[k] = slot;
        }
    }
    return true;
}

}  // namespace vrk::dxf
