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

    Document& mD;
    ReadError& mErr;
    std::unordered_map<std::string_view, std::uint16_t> mTypeIds;
    std::uint16_t mLastType = 0;

    // Position in the file's structure.
    bool mInSection = false;
    bool mNeedSectionName = false;
    bool mNeedTableName = false;
    bool mTableOpen = false;
    bool mEofSeen = false;
    SectionId mSection = SectionId::Other;
    RecordIndex mBlockOpen = kNoRecord;
    RecordIndex mLastMain = kNoRecord;

    // State of the record being read.
    bool mOpen = false;
    std::uint64_t mRecordLine = 0;                  // line of the open record's first group (ASCII)
    std::uint64_t mRecordBegin = 0;                 // its offset
    std::string where(std::uint64_t offset) const;  // "line 12" or "byte 96"
    bool mHaveHandle = false;
    bool mHaveOwner = false;
    bool mInXdata = false;
    Group mGroup = kNone;
    bool mTakesHandle = false;
    std::size_t mHandleCount = 0;
};

}  // namespace vrk::dxf
