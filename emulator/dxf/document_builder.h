#pragma once
// Single pass over a drawing file's bytes that fills a Document's records and indexes (reader.cpp).
// A large ASCII file is read in two halves at once: the second half by a builder of its own, from a
// state guessed at a record boundary; its records are taken only when the first half ends exactly
// there in exactly that state, else the first half's builder reads on as if alone.

#include <atomic>
#include <cstddef>
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
    // Look for the split from this offset on, whatever the file's size (tests; by default a file of a
    // few MB and more is split near its middle).
    void splitFrom(std::size_t offset) { mSplitFrom = offset; }
    // Whether the records after the split were taken from the second thread.
    bool readInTwo() const { return mReadInTwo; }

private:
    enum Group : std::uint8_t { kNone, kReactors, kXdict, kBlkrefs, kOtherGroup };
    struct Split;  // document_builder.cpp

    // Builds the records from `at` to the end of bytes already owned by another document, as if the
    // file's structure there were the split's guess. Never reports to the user: any failure only
    // means the caller reads that part itself.
    DocumentBuilder(Document& part, ReadError& err, const char* data, std::size_t size, const Split& split);

    bool fail(ReadStatus status, std::string reason, std::uint64_t line);
    bool fail(ReadStatus status, std::string reason, const Tag& t);
    bool failAt(ReadStatus status, std::string reason, std::uint64_t offset);
    bool failInRecord(ReadStatus status, std::string reason);
    bool refuseOneByteCodes();
    bool notADrawing();
    std::uint16_t intern(std::string_view name);
    bool scan();
    bool scanTags(TagReader& reader, Split* split);
    bool atSplit(Split& split);
    bool adopt(Split& split);
    bool noRecordsYet() const { return !mResumed && mD.mRecords.empty(); }
    bool startRecord(const Tag& t);
    bool startHeaderVar(const Tag& t);
    bool applyTag(const Tag& t);
    bool closeRecord();
    bool checkVersion(std::string_view v, const Tag& line);
    bool indexHandles();
    bool finishIndexes();

    Document& mD;
    ReadError& mErr;
    const char* mData = nullptr;  // the whole file's bytes
    std::size_t mSize = 0;
    bool mResumed = false;  // reading from a split: records came before
    std::size_t mSplitFrom = std::string_view::npos;
    bool mReadInTwo = false;
    const std::atomic<bool>* mCancel = nullptr;  // set when the records read here are no longer wanted
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
