#include "document_builder.h"

#include <algorithm>
#include <cctype>
#include <cstring>

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

}  // namespace

DocumentBuilder::DocumentBuilder(Document& doc, ReadError& err) : mD(doc), mErr(err) {
    for (std::uint16_t i = 0; i < kWellKnownCount; ++i) {
        mD.mTypeNames.push_back(kWellKnownNames[i]);
        mTypeIds.emplace(kWellKnownNames[i], i);
    }
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
    if (!scan()) return false;
    return indexHandles() && finishIndexes();
}

bool DocumentBuilder::scan() {
    const char* data = mD.mBuffer.data();
    const std::size_t n = mD.mBuffer.size();
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
    const bool binary = mD.mEncoding == Encoding::Binary;
    // Where reading stopped at the end of the data, for messages.
    auto failAtEnd = [&](const TagReader& reader, std::string reason) {
        return binary ? failAt(ReadStatus::Malformed, std::move(reason), n)
                      : fail(ReadStatus::Malformed, std::move(reason), reader.line());
    };
    // Records take some 100-200 bytes in typical drawings. Reserving generously costs address space
    // only: pages nobody writes are never backed by memory.
    mD.mRecords.reserve(n / 48 + 16);

    TagReader reader(data, start, n, 1, mD.mEncoding);
    Tag t;
    for (;;) {
        TagReader::Status st = reader.next(t);
        if (st == TagReader::Status::End) break;
        if (st == TagReader::Status::Error) {
            if (mD.mRecords.empty() && !binary) return notADrawing();
            return binary ? failAt(ReadStatus::Malformed, reader.error(), reader.errorOffset())
                          : fail(ReadStatus::Malformed, reader.error(), reader.line());
        }
        if (t.code == 0) {
            if (mD.mRecords.empty() && !binary && trimBlanks(t.value) != "SECTION") return notADrawing();
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
            if (mD.mRecords.empty() && !binary) return notADrawing();
            return fail(ReadStatus::Malformed, "expected 0 SECTION", t);
        }
        if (!applyTag(t)) return false;
    }
    if (!closeRecord()) return false;
    // A binary file carries the sentinel, so it is a drawing file, if an empty one.
    if (mD.mRecords.empty()) return binary ? failAtEnd(reader, "no records") : notADrawing();
    if (mInSection) {
        std::string name = mD.mSections.empty() ? std::string("?") : std::string(mD.mSections.back().name);
        return failAtEnd(reader, "missing ENDSEC of section " + name + " (file truncated?)");
    }
    return failAtEnd(reader, "missing 0 EOF (file truncated?)");
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
    const char* data = mD.mBuffer.data();
    return "line " + std::to_string(1 + std::count(data, data + offset, '\n'));
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
            const char* data = mD.mBuffer.data();
            return fail(ReadStatus::Malformed, reason, 1 + std::count(data, data + r.begin, '\n'));
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
