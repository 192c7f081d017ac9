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
        case RecordKind::Object:
            return true;
        default:
            return false;
    }
}

}  // namespace

DocumentBuilder::DocumentBuilder(Document& doc, ReadError& err) : d_(doc), err_(err) {
    for (std::uint16_t i = 0; i < kWellKnownCount; ++i) {
        d_.typeNames_.push_back(kWellKnownNames[i]);
        typeIds_.emplace(kWellKnownNames[i], i);
    }
}

bool DocumentBuilder::fail(ReadStatus status, std::string reason, std::uint64_t line) {
    err_.status = status;
    err_.reason = std::move(reason);
    err_.line = line;
    return false;
}

bool DocumentBuilder::failAt(ReadStatus status, std::string reason, std::uint64_t offset) {
    fail(status, std::move(reason), 0);
    err_.offset = offset;
    return false;
}

bool DocumentBuilder::fail(ReadStatus status, std::string reason, const Tag& t) {
    return t.binary ? failAt(status, std::move(reason), t.begin) : fail(status, std::move(reason), t.line);
}

bool DocumentBuilder::failInRecord(ReadStatus status, std::string reason) {
    if (d_.encoding_ == Encoding::Binary) return failAt(status, std::move(reason), recordBegin_);
    return fail(status, std::move(reason), recordLine_);
}

// Before R13 binary files wrote group codes in one byte; those releases are refused as in ASCII.
bool DocumentBuilder::refuseOneByteCodes() {
    std::string_view bytes = d_.bytes().substr(kBinarySentinel.size());
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
    const std::string_view bytes = d_.bytes();
    err_.dwg = bytes.size() >= 6 && bytes.substr(0, 4) == "AC10" && std::isdigit(static_cast<unsigned char>(bytes[4])) &&
               std::isdigit(static_cast<unsigned char>(bytes[5]));
    return fail(ReadStatus::Malformed, "not a DXF drawing (it does not begin with 0 SECTION)", 0);
}

std::uint16_t DocumentBuilder::intern(std::string_view name) {
    // Records of one type tend to come in runs: try the last one before hashing.
    if (lastType_ < d_.typeNames_.size() && d_.typeNames_[lastType_] == name) return lastType_;
    auto it = typeIds_.find(name);
    if (it != typeIds_.end()) return lastType_ = it->second;
    if (d_.typeNames_.size() >= 0xFFFF) return kWtUnknown;  // a hostile file; the bytes stay intact anyway
    auto id = std::uint16_t(d_.typeNames_.size());
    d_.typeNames_.push_back(name);
    typeIds_.emplace(name, id);
    return id;
}

bool DocumentBuilder::build(Buffer bytes, const std::string& path) {
    d_.buffer_ = std::move(bytes);
    d_.path_ = path;
    if (!scan()) return false;
    return indexHandles() && finishIndexes();
}

bool DocumentBuilder::scan() {
    const char* data = d_.buffer_.data();
    const std::size_t n = d_.buffer_.size();
    std::size_t start = 0;
    if (d_.bytes().substr(0, kBinarySentinel.size()) == kBinarySentinel) {
        d_.encoding_ = Encoding::Binary;
        start = kBinarySentinel.size();
        // The first group is 0 SECTION: two zero bytes from R13 on, one before.
        if (n > start + 1 && data[start] == 0 && data[start + 1] != 0) return refuseOneByteCodes();
    } else {
        if (n >= 3 && std::memcmp(data, "\xEF\xBB\xBF", 3) == 0) start = 3;
        if (const void* nl = std::memchr(data, '\n', n)) {
            d_.crlf_ = nl != data && static_cast<const char*>(nl)[-1] == '\r';
        }
    }
    const bool binary = d_.encoding_ == Encoding::Binary;
    // Where reading stopped at the end of the data, for messages.
    auto failAtEnd = [&](const TagReader& reader, std::string reason) {
        return binary ? failAt(ReadStatus::Malformed, std::move(reason), n)
                      : fail(ReadStatus::Malformed, std::move(reason), reader.line());
    };
    // Records take some 100-200 bytes in typical drawings. Reserving generously costs address space
    // only: pages nobody writes are never backed by memory.
    d_.records_.reserve(n / 48 + 16);

    TagReader reader(data, start, n, 1, d_.encoding_);
    Tag t;
    for (;;) {
        TagReader::Status st = reader.next(t);
        if (st == TagReader::Status::End) break;
        if (st == TagReader::Status::Error) {
            if (d_.records_.empty() && !binary) return notADrawing();
            return binary ? failAt(ReadStatus::Malformed, reader.error(), reader.errorOffset())
                          : fail(ReadStatus::Malformed, reader.error(), reader.line());
        }
        if (t.code == 0) {
            if (d_.records_.empty() && !binary && trimBlanks(t.value) != "SECTION") return notADrawing();
            if (!startRecord(t)) return false;
            if (eofSeen_) {
                d_.trailerBegin_ = t.end;
                return closeRecord();
            }
            continue;
        }
        if (t.code == 9 && inSection_ && section_ == SectionId::Header && !needSectionName_) {
            if (!startHeaderVar(t)) return false;
            continue;
        }
        if (!open_) {
            if (t.code == 999) continue;  // comments before the first section
            if (d_.records_.empty() && !binary) return notADrawing();
            return fail(ReadStatus::Malformed, "expected 0 SECTION", t);
        }
        if (!applyTag(t)) return false;
    }
    if (!closeRecord()) return false;
    // A binary file carries the sentinel, so it is a drawing file, if an empty one.
    if (d_.records_.empty()) return binary ? failAtEnd(reader, "no records") : notADrawing();
    if (inSection_) {
        std::string name = d_.sections_.empty() ? std::string("?") : std::string(d_.sections_.back().name);
        return failAtEnd(reader, "missing ENDSEC of section " + name + " (file truncated?)");
    }
    return failAtEnd(reader, "missing 0 EOF (file truncated?)");
}

bool DocumentBuilder::startRecord(const Tag& t) {
    if (!closeRecord()) return false;
    if (d_.records_.size() >= kNoRecord - 1) return fail(ReadStatus::Malformed, "too many records", t);
    const auto index = RecordIndex(d_.records_.size());
    Record r;
    r.begin = t.begin;
    recordLine_ = t.line;
    recordBegin_ = t.begin;
    r.type = intern(trimBlanks(t.value));
    const std::uint16_t type = r.type;

    if (!inSection_) {
        if (type == kWtSection) {
            r.kind = RecordKind::SectionBegin;
            inSection_ = true;
            needSectionName_ = true;
        } else if (type == kWtEof) {
            r.kind = RecordKind::Eof;
            eofSeen_ = true;
        } else {
            return fail(ReadStatus::Malformed, "'" + std::string(t.value) + "' outside a section", t);
        }
    } else if (type == kWtSection || type == kWtEof) {
        return fail(ReadStatus::Malformed,
                    "missing ENDSEC of section " + std::string(d_.sections_.back().name), t);
    } else if (type == kWtEndsec) {
        if (tableOpen_) {
            return fail(ReadStatus::Malformed,
                        "missing ENDTAB of table " + std::string(d_.tables_.back().name), t);
        }
        if (blockOpen_ != kNoRecord) return fail(ReadStatus::Malformed, "missing ENDBLK", t);
        r.kind = RecordKind::SectionEnd;
        d_.sections_.back().end = index;
        inSection_ = false;
    } else {
        switch (section_) {
            case SectionId::Classes:
                r.kind = type == kWtClass ? RecordKind::Class : RecordKind::Raw;
                break;
            case SectionId::Tables:
                if (type == kWtTable) {
                    if (tableOpen_) {
                        return fail(ReadStatus::Malformed,
                                    "missing ENDTAB of table " + std::string(d_.tables_.back().name), t);
                    }
                    r.kind = RecordKind::TableBegin;
                    tableOpen_ = true;
                    needTableName_ = true;
                    d_.tables_.push_back(TableInfo{{}, index, kNoRecord});
                } else if (type == kWtEndtab) {
                    if (!tableOpen_) return fail(ReadStatus::Malformed, "ENDTAB without TABLE", t);
                    r.kind = RecordKind::TableEnd;
                    d_.tables_.back().end = index;
                    tableOpen_ = false;
                } else {
                    if (!tableOpen_) return fail(ReadStatus::Malformed, "table entry outside TABLE", t);
                    r.kind = RecordKind::TableEntry;
                }
                break;
            case SectionId::Blocks:
                if (type == kWtBlock) {
                    if (blockOpen_ != kNoRecord) return fail(ReadStatus::Malformed, "missing ENDBLK", t);
                    r.kind = RecordKind::BlockBegin;
                    blockOpen_ = index;
                } else if (type == kWtEndblk) {
                    if (blockOpen_ == kNoRecord)
                        return fail(ReadStatus::Malformed, "ENDBLK without BLOCK", t);
                    r.kind = RecordKind::BlockEnd;
                    r.parent = blockOpen_;
                    d_.blocks_.emplace_back(blockOpen_, index);
                    blockOpen_ = kNoRecord;
                } else {
                    if (blockOpen_ == kNoRecord) {
                        return fail(ReadStatus::Malformed, "entity outside BLOCK ... ENDBLK", t);
                    }
                    r.kind = RecordKind::Entity;
                }
                break;
            case SectionId::Entities:
                r.kind = RecordKind::Entity;
                break;
            case SectionId::Objects:
                r.kind = RecordKind::Object;
                break;
            default:
                r.kind = RecordKind::Raw;
                break;
        }
    }

    if (r.kind == RecordKind::Entity) {
        const bool partType = type == kWtAttrib || type == kWtVertex || type == kWtSeqend;
        if (partType && lastMain_ != kNoRecord) {
            r.parent = lastMain_;
            r.flags |= kFlagPart;
            if (type == kWtSeqend) lastMain_ = kNoRecord;
        } else {
            lastMain_ = (type == kWtInsert || type == kWtPolyline) ? index : kNoRecord;
            r.parent = blockOpen_;
        }
    } else {
        lastMain_ = kNoRecord;
    }

    d_.records_.push_back(r);
    open_ = true;
    haveHandle_ = haveOwner_ = inXdata_ = false;
    group_ = kNone;
    takesHandle_ = takesHandle(r.kind);
    return true;
}

bool DocumentBuilder::startHeaderVar(const Tag& t) {
    if (!closeRecord()) return false;
    const auto index = RecordIndex(d_.records_.size());
    Record r;
    r.begin = t.begin;
    recordLine_ = t.line;
    recordBegin_ = t.begin;
    r.kind = RecordKind::HeaderVar;
    std::string_view name = trimBlanks(t.value);
    r.type = intern(name);
    d_.headerVars_.emplace(name, index);
    d_.records_.push_back(r);
    open_ = true;
    haveHandle_ = haveOwner_ = inXdata_ = false;
    group_ = kNone;
    takesHandle_ = false;
    lastMain_ = kNoRecord;
    return true;
}

bool DocumentBuilder::checkVersion(std::string_view v, const Tag& line) {
    v = trimBlanks(v);
    long long num = 0;
    if (v.size() != 6 || v.substr(0, 2) != "AC" || !parseInt(v.substr(2), num)) {
        return fail(ReadStatus::Unsupported, "unknown drawing release '" + std::string(v) + "'", line);
    }
    if (num <= 1009) {
        return fail(
            ReadStatus::Unsupported,
            "R12 and older drawing files (" + std::string(v) + ") are not supported; use AC1015 or later",
            line);
    }
    if (num < 1015 || num > 1032) {
        return fail(ReadStatus::Unsupported,
                    "drawing release " + std::string(v) + " is not supported (AC1015 to AC1032 are)", line);
    }
    d_.acadver_ = v;
    d_.version_ = int(num);
    return true;
}

bool DocumentBuilder::applyTag(const Tag& t) {
    Record& r = d_.records_.back();
    switch (t.code) {
        case 2:
            if (needSectionName_ && r.kind == RecordKind::SectionBegin) {
                std::string_view name = trimBlanks(t.value);
                SectionId id = sectionIdOf(name);
                if (id != SectionId::Other) {
                    for (const SectionInfo& s : d_.sections_) {
                        if (s.id == id) {
                            return fail(ReadStatus::Malformed,
                                        "section " + std::string(name) + " appears twice", t);
                        }
                    }
                }
                d_.sections_.push_back(SectionInfo{id, name, RecordIndex(d_.records_.size() - 1), kNoRecord});
                section_ = id;
                needSectionName_ = false;
            } else if (needTableName_ && r.kind == RecordKind::TableBegin) {
                d_.tables_.back().name = trimBlanks(t.value);
                needTableName_ = false;
            }
            break;
        case 5:
            if (takesHandle_ && !haveHandle_ && !inXdata_ && r.type != kWtDimstyle) {
                if (!parseHandle(t.value, r.handle) || r.handle == kNoHandle) {
                    return fail(ReadStatus::Malformed, "bad handle '" + std::string(t.value) + "'", t);
                }
                haveHandle_ = true;
            } else if (r.kind == RecordKind::HeaderVar && r.type == kWtHandseed) {
                if (!parseHandle(t.value, d_.handseed_)) {
                    return fail(ReadStatus::Malformed, "bad $HANDSEED '" + std::string(t.value) + "'",
                                t);
                }
            }
            break;
        case 105:
            if (takesHandle_ && !haveHandle_ && r.type == kWtDimstyle) {
                if (!parseHandle(t.value, r.handle) || r.handle == kNoHandle) {
                    return fail(ReadStatus::Malformed, "bad handle '" + std::string(t.value) + "'", t);
                }
                haveHandle_ = true;
            }
            break;
        case 102: {
            if (inXdata_) break;
            std::string_view v = trimBlanks(t.value);
            if (!v.empty() && v[0] == '{') {
                if (v == "{ACAD_REACTORS") {
                    group_ = kReactors;
                    r.flags |= kFlagReactors;
                } else if (v == "{ACAD_XDICTIONARY") {
                    group_ = kXdict;
                } else if (v == "{BLKREFS") {
                    group_ = kBlkrefs;
                    r.flags |= kFlagBlkrefs;
                } else {
                    group_ = kOtherGroup;
                }
            } else if (v == "}") {
                group_ = kNone;
            }
            break;
        }
        case 330:
            if (!inXdata_ && group_ == kNone && !haveOwner_ && takesHandle_) {
                if (!parseHandle(t.value, r.owner)) {
                    return fail(ReadStatus::Malformed, "bad owner handle '" + std::string(t.value) + "'",
                                t);
                }
                haveOwner_ = true;
            } else {
                r.flags |= kFlagPointers;
            }
            break;
        case 360:
            if (!inXdata_ && group_ == kXdict && r.xdict == kNoHandle) {
                if (!parseHandle(t.value, r.xdict)) {
                    return fail(ReadStatus::Malformed,
                                "bad extension dictionary handle '" + std::string(t.value) + "'", t);
                }
            } else {
                r.flags |= kFlagPointers;
            }
            break;
        case 60:
            if (r.kind == RecordKind::Entity && !inXdata_) {
                long long v = 0;
                if (integerValue(t, v) && v == 1) r.flags |= kFlagInvisible;
            }
            break;
        case 1:
            if (r.kind == RecordKind::HeaderVar && r.type == kWtAcadver && d_.version_ == 0) {
                if (!checkVersion(t.value, t)) return false;
            }
            break;
        case 3:
            if (r.kind == RecordKind::HeaderVar && r.type == kWtDwgcodepage)
                d_.codepage_ = trimBlanks(t.value);
            break;
        case 1001:
            inXdata_ = true;
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
    if (d_.encoding_ == Encoding::Binary) return "byte " + std::to_string(offset);
    const char* data = d_.buffer_.data();
    return "line " + std::to_string(1 + std::count(data, data + offset, '\n'));
}

bool DocumentBuilder::closeRecord() {
    if (!open_) return true;
    open_ = false;
    Record& r = d_.records_.back();
    if (needSectionName_ && r.kind == RecordKind::SectionBegin) {
        return failInRecord(ReadStatus::Malformed, "SECTION without a name");
    }
    if (r.kind == RecordKind::TableBegin && needTableName_) {
        needTableName_ = false;  // a nameless table is odd but harmless: its bytes are kept
    }
    if (r.kind == RecordKind::SectionEnd && d_.sections_.back().id == SectionId::Header && d_.version_ == 0) {
        return failInRecord(ReadStatus::Unsupported,
                            "no $ACADVER in HEADER: R12 or older drawing files are not supported");
    }
    if (haveHandle_) {
        ++handleCount_;
        if (r.handle > d_.maxHandle_) d_.maxHandle_ = r.handle;
    }
    return true;
}

// Once the records are known the index is sized exactly, and made in one go.
bool DocumentBuilder::indexHandles() {
    d_.handles_.reserve(handleCount_);
    for (RecordIndex i = 0; i < d_.records_.size(); ++i) {
        const Record& r = d_.records_[i];
        if (r.handle == kNoHandle) continue;
        RecordIndex other = d_.handles_.insert(i, d_.records_);
        if (other != kNoRecord) {
            const std::string reason = "duplicate handle " + formatHandle(r.handle) + " (also at " +
                                       where(d_.records_[other].begin) + ")";
            if (d_.encoding_ == Encoding::Binary) return failAt(ReadStatus::Malformed, reason, r.begin);
            const char* data = d_.buffer_.data();
            return fail(ReadStatus::Malformed, reason, 1 + std::count(data, data + r.begin, '\n'));
        }
    }
    return true;
}

bool DocumentBuilder::finishIndexes() {
    if (d_.version_ == 0) {
        return fail(ReadStatus::Unsupported,
                    "no $ACADVER in HEADER: R12 or older drawing files are not supported", 0);
    }
    static const struct {
        SectionId id;
        const char* name;
    } kRequired[] = {{SectionId::Tables, "TABLES"},
                     {SectionId::Blocks, "BLOCKS"},
                     {SectionId::Entities, "ENTITIES"},
                     {SectionId::Objects, "OBJECTS"}};
    for (const auto& req : kRequired) {
        if (d_.section(req.id) == nullptr) {
            return fail(ReadStatus::Malformed, std::string("missing section ") + req.name, 0);
        }
    }

    for (RecordIndex i = 0; i < d_.records_.size(); ++i) {
        const Record& r = d_.records_[i];
        if (r.kind == RecordKind::Class) {
            ClassInfo c;
            c.record = i;
            c.dxfName = d_.value(i, 1);
            c.cppName = d_.value(i, 2);
            c.appName = d_.value(i, 3);
            long long v = 0;
            if (d_.intValue(i, 90, v)) c.proxyFlags = v;
            if (d_.intValue(i, 91, v)) c.instanceCount = v;
            if (d_.intValue(i, 280, v)) c.wasProxy = v != 0;
            if (d_.intValue(i, 281, v)) c.isEntity = v != 0;
            d_.classes_.push_back(c);
        } else if (r.kind == RecordKind::TableEntry && r.type == kWtLayer) {
            LayerInfo l;
            l.record = i;
            l.name = d_.value(i, 2);
            long long v = 0;
            if (d_.intValue(i, 62, v)) l.color = int(v);
            if (d_.intValue(i, 70, v)) l.flags = int(v);
            d_.layers_.push_back(l);
        } else if (r.kind == RecordKind::TableEntry && r.type == kWtBlockRecord) {
            BlockRecordInfo b;
            b.record = i;
            b.name = d_.value(i, 2);
            d_.blockRecordSlots_.emplace(i, int(d_.blockRecords_.size()));
            d_.blockRecords_.push_back(b);
        }
    }

    // Pair each BLOCK with its block record: by owner, or by name for files that leave 330 out.
    d_.blockSlots_.assign(d_.blocks_.size(), -1);
    for (std::size_t k = 0; k < d_.blocks_.size(); ++k) {
        const RecordIndex b = d_.blocks_[k].first;
        int slot = -1;
        RecordIndex owner = d_.find(d_.records_[b].owner);
        if (owner != kNoRecord) slot = d_.blockRecordSlot(owner);
        if (slot < 0) {
            std::string_view name = d_.value(b, 2);
            for (std::size_t s = 0; s < d_.blockRecords_.size(); ++s) {
                if (equalsIgnoreCase(d_.blockRecords_[s].name, name)) {
                    slot = int(s);
                    break;
                }
            }
        }
        if (slot >= 0 && d_.blockRecords_[std::size_t(slot)].blockBegin == kNoRecord) {
            d_.blockRecords_[std::size_t(slot)].blockBegin = b;
            d_.blockRecords_[std::size_t(slot)].blockEnd = d_.blocks_[k].second;
            d_.blockSlots_[k] = slot;
        }
    }
    return true;
}

}  // namespace vrk::dxf
