#pragma once
// Single pass over a drawing file's bytes that fills a Document's records and indexes (reader.cpp).

#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>

#include "document.h"
#include "reader.h"

namespace vrk::dxf {

class DocumentBuilder {
public:
    DocumentBuilder(Document& doc, ReadError& err);
    bool build(Buffer bytes, const std::string& path);

private:
    enum Group : std::uint8_t { kNone, kReactors, kXdict, kBlkrefs, kOtherGroup };

    bool fail(ReadStatus status, std::string reason, std::uint64_t line);
    bool fail(ReadStatus status, std::string reason, const Tag& t);
    bool failAt(ReadStatus status, std::string reason, std::uint64_t offset);
    bool failInRecord(ReadStatus status, std::string reason);
    bool refuseOneByteCodes();
    bool notADrawing();
    std::uint16_t intern(std::string_view name);
    bool scan();
    bool startRecord(const Tag& t);
    bool startHeaderVar(const Tag& t);
    bool applyTag(const Tag& t);
    bool closeRecord();
    bool checkVersion(std::string_view v, const Tag& line);
    bool indexHandles();
    bool finishIndexes();

    Document& d_;
    ReadError& err_;
    std::unordered_map<std::string_view, std::uint16_t> typeIds_;
    std::uint16_t lastType_ = 0;

    // Position in the file's structure.
    bool inSection_ = false;
    bool needSectionName_ = false;
    bool needTableName_ = false;
    bool tableOpen_ = false;
    bool eofSeen_ = false;
    SectionId section_ = SectionId::Other;
    RecordIndex blockOpen_ = kNoRecord;
    RecordIndex lastMain_ = kNoRecord;

    // State of the record being read.
    bool open_ = false;
    std::uint64_t recordLine_ = 0;   // line of the open record's first group (ASCII)
    std::uint64_t recordBegin_ = 0;  // its offset
    std::string where(std::uint64_t offset) const;  // "line 12" or "byte 96"
    bool haveHandle_ = false;
    bool haveOwner_ = false;
    bool inXdata_ = false;
    Group group_ = kNone;
    bool takesHandle_ = false;
    std::size_t handleCount_ = 0;
};

}  // namespace vrk::dxf
