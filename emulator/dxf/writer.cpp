#include "writer.h"

#include <algorithm>
#include <cstdlib>
#include <unordered_map>
#include <vector>

#include "transcode.h"
#include "well_known.h"

namespace vrk::dxf {

namespace {

// Formats v like the ASCII value it replaces: right-aligned to the old width when the old one was padded.
std::string formatIntLike(const Tag& old, long long v) {
    std::string s = std::to_string(v);
    const std::string_view was = old.value;
    if (!old.binary && !was.empty() && was[0] == ' ' && s.size() < was.size()) s.insert(0, was.size() - s.size(), ' ');
    return s;
}

class Writer {
public:
    Writer(const Document& d, const EditSet& e, Sink& s)
        : mD(d), mE(e), mSink(s), mData(d.bytes().data()), mTo(e.encoding().value_or(d.encoding())) {}

    bool run(std::string& error, WriteStats& stats);

private:
    void resolve();
    bool leftOut(Handle h) const {
        if (!mAnyLeftOut) return false;
        RecordIndex i = mD.find(h);
        return i != kNoRecord && mLeftOut[i];
    }
    bool refersToLeftOut(RecordIndex i) const;
    void rewrite(RecordIndex i);
    void emitRaw(const Tag& t) { mScratch.append(mData + t.begin, t.end - t.begin); }
    void emitValue(const Tag& t, std::string_view v) {
        if (t.binary) {
            mScratch.append(mData + t.begin, 2);             // the group code as read
            if (valueTypeOf(t.code) == ValueType::String) {  // edits give text as stored
                mScratch.append(v);
                mScratch.push_back('\0');
            } else if (!appendValue(mScratch, t.code, v, Encoding::Binary, mError)) {
                emitRaw(t);
            }
            return;
        }
        mScratch.append(mData + t.begin, t.valueBegin - t.begin);
        mScratch.append(v);
        mScratch.append(t.valueLineEnd(mData));
    }
    bool put(const char* p, std::size_t n) {
        mStats.bytes += n;
        return n == 0 || mSink.write(p, n);
    }
    // Writes whole tags, converted when the target encoding is not the one read.
    bool putTags(const char* p, std::size_t n) {
        if (mTo == mD.encoding()) return put(p, n);
        mConverted.clear();
        return transcode(p, n, mD.encoding(), mTo, mConverted, mError,
                         [this](const std::string& out) { return put(out.data(), out.size()); });
    }

    const Document& mD;
    const EditSet& mE;
    Sink& mSink;
    const char* mData;
    std::vector<std::uint8_t> mLeftOut;  // per record, only when something is left out
    std::vector<RecordIndex> mTouched;   // records to rewrite for an edit, ascending
    std::unordered_map<RecordIndex, const RecordEdit*> mRecordEdits;
    std::unordered_map<RecordIndex, const std::vector<ValueEdit>*> mHeaderEdits;
    bool mAnyLeftOut = false;
    RecordIndex mSeedRecord = kNoRecord;
    Handle mNewSeed = kNoHandle;
    std::string mScratch;
    WriteStats mStats;
    const Encoding mTo;
    std::string mConverted;
    std::string mError;  // a value that could not be written in the target encoding
};

void Writer::resolve() {
    std::size_t count = 0;
    if (!mE.leftOut().empty()) {
        mLeftOut.assign(mD.recordCount(), 0);
        for (Handle h : mE.leftOut()) {
            RecordIndex root = mD.find(h);
            if (root == kNoRecord || mLeftOut[root]) continue;
            mLeftOut[root] = 1;
            ++count;
        }
        if (count > 0) count += mD.addOwned(mLeftOut);
    }
    // A BLOCK..ENDBLK or TABLE..ENDTAB span that lost its first or last record (an owner named by 330
    // was left out) goes whole: half a span does not read back.
    for (std::size_t swept = 1; count > 0 && swept > 0;) {
        swept = 0;
        auto sweep = [&](RecordIndex first, RecordIndex last) {
            if (first == kNoRecord || last == kNoRecord || !(mLeftOut[first] | mLeftOut[last])) return;
            for (RecordIndex i = first; i <= last; ++i) {
                if (mLeftOut[i]) continue;
                mLeftOut[i] = 1;
                ++swept;
            }
        };
        for (const auto& [first, last] : mD.blockSpans()) sweep(first, last);
        for (const TableInfo& t : mD.tables()) sweep(t.begin, t.end);
        if (swept > 0) count += swept + mD.addOwned(mLeftOut);
    }
    mStats.recordsLeftOut = count;
    mAnyLeftOut = count > 0;
    if (!mAnyLeftOut) std::vector<std::uint8_t>().swap(mLeftOut);
    for (const auto& [h, edit] : mE.recordEdits()) {
        RecordIndex i = mD.find(h);
        if (i == kNoRecord || (mAnyLeftOut && mLeftOut[i])) continue;
        mTouched.push_back(i);
        mRecordEdits[i] = &edit;
    }
    for (const auto& [name, values] : mE.headerEdits()) {
        RecordIndex i = mD.headerVar(name);
        if (i == kNoRecord) continue;
        mTouched.push_back(i);
        mHeaderEdits[i] = &values;
    }
    Handle needed = mD.maxHandle() + 1;
    if (mE.minHandseed() > needed) needed = mE.minHandseed();
    if (mD.handseed() < needed) {
        mSeedRecord = mD.headerVar("$HANDSEED");
        if (mSeedRecord != kNoRecord) {
            mTouched.push_back(mSeedRecord);
            mNewSeed = needed;
        }
    }
    std::sort(mTouched.begin(), mTouched.end());
    mTouched.erase(std::unique(mTouched.begin(), mTouched.end()), mTouched.end());
}

bool Writer::refersToLeftOut(RecordIndex i) const {
    const Record& r = mD.record(i);
    // Its owner is not left out: resolve() would have left i out with it.
    if (leftOut(r.xdict)) return true;
    if (!r.has(kFlagPointers)) return false;  // spares reading the tags of most entities again
    for (const Tag& t : mD.tags(i)) {
        if (!isPointerCode(t.code)) continue;
        Handle h = kNoHandle;
        if (parseHandle(t.value, h) && leftOut(h)) return true;
    }
    return false;
}

void Writer::rewrite(RecordIndex i) {
    enum Group { kNone, kReactors, kXdict, kBlkrefs, kOther };
    const RecordEdit* re = nullptr;
    const std::vector<ValueEdit>* values = nullptr;
    if (auto it = mRecordEdits.find(i); it != mRecordEdits.end()) {
        re = it->second;
        if (!re->values.empty()) values = &re->values;
    }
    if (auto it = mHeaderEdits.find(i); it != mHeaderEdits.end()) values = it->second;
    const Record& r = mD.record(i);
    const bool isDict = mD.isDictionary(i);
    const bool dropXdict = (re && re->releaseXdict) || (r.xdict != kNoHandle && leftOut(r.xdict));

    mScratch.clear();
    Group group = kNone;
    bool dropping = false;
    std::size_t groupStart = 0;
    std::size_t groupKept = 0, groupDropped = 0;
    bool inXdata = false;
    bool seen62 = false, seen70 = false, seenSeed = false;
    std::vector<std::pair<int, int>> occurrences;  // code -> count so far (only with value edits)
    Tag heldKey;
    bool holding = false;

    for (const Tag& t : mD.tags(i)) {
        if (t.code == 1001) inXdata = true;

        if (holding) {
            holding = false;
            if (!inXdata && group == kNone && (t.code == 350 || t.code == 360)) {
                Handle h = kNoHandle;
                if (mAnyLeftOut && parseHandle(t.value, h) && leftOut(h)) {
                    ++mStats.referencesMended;
                    continue;  // key and handle both go
                }
                emitRaw(heldKey);
                emitRaw(t);
                continue;
            }
            emitRaw(heldKey);
        }

        if (!inXdata && t.code == 102) {
            std::string_view v = trimBlanks(t.value);
            if (!v.empty() && v[0] == '{') {
                group = v == "{ACAD_REACTORS"      ? kReactors
                        : v == "{ACAD_XDICTIONARY" ? kXdict
                        : v == "{BLKREFS"          ? kBlkrefs
                                                   : kOther;
                groupStart = mScratch.size();
                groupKept = groupDropped = 0;
                dropping = group == kXdict && dropXdict;
                if (!dropping) emitRaw(t);
                continue;
            }
            if (v == "}") {
                bool emptied = (group == kReactors || group == kBlkrefs) && groupKept == 0 && groupDropped > 0;
                if (emptied) mScratch.resize(groupStart);
                else if (!dropping) emitRaw(t);
                group = kNone;
                dropping = false;
                continue;
            }
        }
        if (dropping) continue;

        if (values) {
            int n = 0;
            bool found = false;
            for (auto& oc : occurrences) {
                if (oc.first == t.code) {
                    n = oc.second++;
                    found = true;
                    break;
                }
            }
            if (!found) occurrences.emplace_back(t.code, 1);
            const ValueEdit* hit = nullptr;
            for (const ValueEdit& ve : *values) {
                if (ve.code == t.code && ve.occurrence == n) hit = &ve;
            }
            if (hit) {
                emitValue(t, hit->raw);
                if (group != kNone) ++groupKept;
                continue;
            }
        }
        if (re && re->hasLayerSwitches && !inXdata && group == kNone) {
            long long v = 0;
            if (t.code == 62 && !seen62 && integerValue(t, v)) {
                seen62 = true;
                long long mag = std::llabs(v);
                emitValue(t, formatIntLike(t, re->layer.off ? -mag : mag));
                continue;
            }
            if (t.code == 70 && !seen70 && integerValue(t, v)) {
                seen70 = true;
                v = (v & ~5LL) | (re->layer.frozen ? 1 : 0) | (re->layer.locked ? 4 : 0);
                emitValue(t, formatIntLike(t, v));
                continue;
            }
        }
        if (i == mSeedRecord && t.code == 5 && !seenSeed) {
            seenSeed = true;
            emitValue(t, formatHandle(mNewSeed));
            continue;
        }
        if (isDict && !inXdata && group == kNone && t.code == 3) {
            heldKey = t;
            holding = true;
            continue;
        }
        if (mAnyLeftOut && isPointerCode(t.code)) {
            Handle h = kNoHandle;
            if (parseHandle(t.value, h) && leftOut(h)) {
                ++mStats.referencesMended;
                if ((group == kReactors && t.code == 330) || (group == kBlkrefs && t.code == 331)) {
                    ++groupDropped;
                    continue;
                }
                emitValue(t, "0");
                if (group != kNone) ++groupKept;
                continue;
            }
        }
        emitRaw(t);
        if (group != kNone) ++groupKept;
    }
    if (holding) emitRaw(heldKey);
}

bool Writer::run(std::string& error, WriteStats& stats) {
    const bool converting = mTo != mD.encoding();
    const bool plain = !converting && mE.empty() && mD.handseed() > mD.maxHandle();
    const std::string_view all = mD.bytes();
    bool ok = true;
    if (plain) {
        ok = put(all.data(), all.size());
    } else {
        resolve();
        std::size_t runBegin = 0, runEnd = mD.prefixEnd();  // bytes waiting to be copied as read
        if (converting) {
            // The binary sentinel, or the comments before the first record of an ASCII file (its BOM
            // is left out: binary text needs none).
            std::size_t from = 0;
            if (mD.encoding() == Encoding::Binary) from = runEnd;
            else if (all.substr(0, 3) == "\xEF\xBB\xBF") from = 3;
            if (mTo == Encoding::Binary) ok = put(kBinarySentinel.data(), kBinarySentinel.size());
            runBegin = from;
        }
        auto rewriteOne = [&](RecordIndex i) {
            rewrite(i);
            ++mStats.recordsRewritten;
            return mError.empty() && putTags(mScratch.data(), mScratch.size());
        };
        if (!mAnyLeftOut) {
            // Only the touched records differ: what lies between two of them goes in one piece.
            for (RecordIndex i : mTouched) {
                ok = ok && putTags(mData + runBegin, mD.recordBegin(i) - runBegin);
                runBegin = mD.recordEnd(i);
                ok = ok && rewriteOne(i);
            }
            runEnd = mD.trailerBegin();
        } else {
            const std::size_t n = mD.recordCount();
            auto touched = mTouched.begin();
            for (RecordIndex i = 0; ok && i < n; ++i) {
                const bool edited = touched != mTouched.end() && *touched == i;
                if (edited) ++touched;
                const bool out = mLeftOut[i] != 0;
                if (!out && !edited && !refersToLeftOut(i)) {
                    if (runEnd != mD.recordBegin(i)) {
                        ok = putTags(mData + runBegin, runEnd - runBegin);
                        runBegin = mD.recordBegin(i);
                    }
                    runEnd = mD.recordEnd(i);
                    continue;
                }
                ok = ok && putTags(mData + runBegin, runEnd - runBegin);
                runBegin = runEnd = mD.recordEnd(i);
                if (ok && !out) ok = rewriteOne(i);
            }
        }
        if (ok) {
            if (runEnd != mD.trailerBegin()) {
                ok = putTags(mData + runBegin, runEnd - runBegin);
                runBegin = mD.trailerBegin();
            }
            // Bytes after 0 EOF are kept as read, but are no tags to convert.
            if (ok && converting) ok = putTags(mData + runBegin, mD.trailerBegin() - runBegin);
            else if (ok) ok = put(mData + runBegin, all.size() - runBegin);
        }
    }
    if (!ok) error = mError.empty() ? mSink.error() : mError;
    stats = mStats;
    return ok;
}

}  // namespace

bool writeDocument(const Document& doc, const EditSet& edits, Sink& sink, std::string& error, WriteStats* stats) {
    Writer w(doc, edits, sink);
    WriteStats local;
    return w.run(error, stats ? *stats : local);
}

}  // namespace vrk::dxf
