#include "writer.h"

#include <cstdlib>
#include <unordered_map>
#include <vector>

#include "transcode.h"
#include "well_known.h"

namespace vrk::dxf {

namespace {

enum : std::uint8_t { kLeftOut = 1, kEdited = 2 };

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
        : d_(d), e_(e), sink_(s), data_(d.bytes().data()), to_(e.encoding().value_or(d.encoding())) {}

    bool run(std::string& error, WriteStats& stats);

private:
    void resolve();
    bool leftOut(Handle h) const {
        RecordIndex i = d_.find(h);
        return i != kNoRecord && (state_[i] & kLeftOut);
    }
    bool refersToLeftOut(RecordIndex i) const;
    void rewrite(RecordIndex i);
    void emitRaw(const Tag& t) { scratch_.append(data_ + t.begin, t.end - t.begin); }
    void emitValue(const Tag& t, std::string_view v) {
        if (t.binary) {
            scratch_.append(data_ + t.begin, 2);  // the group code as read
            if (valueTypeOf(t.code) == ValueType::String) {  // edits give text as stored
                scratch_.append(v);
                scratch_.push_back('\0');
            } else if (!appendValue(scratch_, t.code, v, Encoding::Binary, error_)) {
                emitRaw(t);
            }
            return;
        }
        scratch_.append(data_ + t.begin, t.valueBegin - t.begin);
        scratch_.append(v);
        scratch_.append(t.valueLineEnd(data_));
    }
    bool put(const char* p, std::size_t n) {
        stats_.bytes += n;
        return n == 0 || sink_.write(p, n);
    }
    // Writes whole tags, converted when the target encoding is not the one read.
    bool putTags(const char* p, std::size_t n) {
        if (to_ == d_.encoding()) return put(p, n);
        converted_.clear();
        return transcode(p, n, d_.encoding(), to_, converted_, error_,
                         [this](const std::string& out) { return put(out.data(), out.size()); });
    }

    const Document& d_;
    const EditSet& e_;
    Sink& sink_;
    const char* data_;
    std::vector<std::uint8_t> state_;
    std::unordered_map<RecordIndex, const RecordEdit*> recordEdits_;
    std::unordered_map<RecordIndex, const std::vector<ValueEdit>*> headerEdits_;
    bool anyLeftOut_ = false;
    RecordIndex seedRecord_ = kNoRecord;
    Handle newSeed_ = kNoHandle;
    std::string scratch_;
    WriteStats stats_;
    const Encoding to_;
    std::string converted_;
    std::string error_;  // a value that could not be written in the target encoding
};

void Writer::resolve() {
    const std::size_t n = d_.recordCount();
    state_.assign(n, 0);
    std::vector<RecordIndex> queue;
    auto leaveOutWithOwned = [&](RecordIndex root) {
        if (state_[root] & kLeftOut) return false;
        state_[root] |= kLeftOut;
        queue.assign(1, root);
        while (!queue.empty()) {
            RecordIndex i = queue.back();
            queue.pop_back();
            ++stats_.recordsLeftOut;
            for (RecordIndex c : d_.ownedDirectly(i)) {
                if (state_[c] & kLeftOut) continue;
                state_[c] |= kLeftOut;
                queue.push_back(c);
            }
        }
        return true;
    };
    for (Handle h : e_.leftOut()) {
        RecordIndex root = d_.find(h);
        if (root != kNoRecord) leaveOutWithOwned(root);
    }
    // A BLOCK..ENDBLK or TABLE..ENDTAB span that lost its first or last record (an owner named by 330
    // was left out) goes whole: half a span does not read back.
    if (stats_.recordsLeftOut > 0) {
        for (bool changed = true; changed;) {
            changed = false;
            auto sweep = [&](RecordIndex first, RecordIndex last) {
                if (first == kNoRecord || last == kNoRecord || !((state_[first] | state_[last]) & kLeftOut)) return;
                for (RecordIndex i = first; i <= last; ++i) changed |= leaveOutWithOwned(i);
            };
            for (const auto& [first, last] : d_.blockSpans()) sweep(first, last);
            for (const TableInfo& t : d_.tables()) sweep(t.begin, t.end);
        }
    }
    anyLeftOut_ = stats_.recordsLeftOut > 0;
    for (const auto& [h, edit] : e_.recordEdits()) {
        RecordIndex i = d_.find(h);
        if (i == kNoRecord || (state_[i] & kLeftOut)) continue;
        state_[i] |= kEdited;
        recordEdits_[i] = &edit;
    }
    for (const auto& [name, values] : e_.headerEdits()) {
        RecordIndex i = d_.headerVar(name);
        if (i == kNoRecord) continue;
        state_[i] |= kEdited;
        headerEdits_[i] = &values;
    }
    Handle needed = d_.maxHandle() + 1;
    if (e_.minHandseed() > needed) needed = e_.minHandseed();
    if (d_.handseed() < needed) {
        seedRecord_ = d_.headerVar("$HANDSEED");
        if (seedRecord_ != kNoRecord) {
            state_[seedRecord_] |= kEdited;
            newSeed_ = needed;
        }
    }
}

bool Writer::refersToLeftOut(RecordIndex i) const {
    const Record& r = d_.record(i);
    if (leftOut(r.owner) || leftOut(r.xdict)) return true;
    if (!r.has(kFlagPointers)) return false;  // spares reading the tags of most entities again
    for (const Tag& t : d_.tags(i)) {
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
    if (auto it = recordEdits_.find(i); it != recordEdits_.end()) {
        re = it->second;
        if (!re->values.empty()) values = &re->values;
    }
    if (auto it = headerEdits_.find(i); it != headerEdits_.end()) values = it->second;
    const Record& r = d_.record(i);
    const bool isDict = d_.isDictionary(i);
    const bool dropXdict =
        (re && re->releaseXdict) || (anyLeftOut_ && r.xdict != kNoHandle && leftOut(r.xdict));

    scratch_.clear();
    Group group = kNone;
    bool dropping = false;
    std::size_t groupStart = 0;
    std::size_t groupKept = 0, groupDropped = 0;
    bool inXdata = false;
    bool seen62 = false, seen70 = false, seenSeed = false;
    std::vector<std::pair<int, int>> occurrences;  // code -> count so far (only with value edits)
    Tag heldKey;
    bool holding = false;

    for (const Tag& t : d_.tags(i)) {
        if (t.code == 1001) inXdata = true;

        if (holding) {
            holding = false;
            if (!inXdata && group == kNone && (t.code == 350 || t.code == 360)) {
                Handle h = kNoHandle;
                if (anyLeftOut_ && parseHandle(t.value, h) && leftOut(h)) {
                    ++stats_.referencesMended;
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
                groupStart = scratch_.size();
                groupKept = groupDropped = 0;
                dropping = group == kXdict && dropXdict;
                if (!dropping) emitRaw(t);
                continue;
            }
            if (v == "}") {
                bool emptied =
                    (group == kReactors || group == kBlkrefs) && groupKept == 0 && groupDropped > 0;
                if (emptied)
                    scratch_.resize(groupStart);
                else if (!dropping)
                    emitRaw(t);
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
        if (i == seedRecord_ && t.code == 5 && !seenSeed) {
            seenSeed = true;
            emitValue(t, formatHandle(newSeed_));
            continue;
        }
        if (isDict && !inXdata && group == kNone && t.code == 3) {
            heldKey = t;
            holding = true;
            continue;
        }
        if (anyLeftOut_ && isPointerCode(t.code)) {
            Handle h = kNoHandle;
            if (parseHandle(t.value, h) && leftOut(h)) {
                ++stats_.referencesMended;
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
    const bool converting = to_ != d_.encoding();
    const bool plain = !converting && e_.empty() && d_.handseed() > d_.maxHandle();
    const std::string_view all = d_.bytes();
    bool ok = true;
    if (plain) {
        ok = put(all.data(), all.size());
    } else {
        resolve();
        std::size_t runBegin = 0, runEnd = d_.prefixEnd();  // bytes waiting to be copied as read
        if (converting) {
            // The binary sentinel, or the comments before the first record of an ASCII file (its BOM
            // is left out: binary text needs none).
            std::size_t from = 0;
            if (d_.encoding() == Encoding::Binary) from = runEnd;
            else if (all.substr(0, 3) == "\xEF\xBB\xBF") from = 3;
            if (to_ == Encoding::Binary) ok = put(kBinarySentinel.data(), kBinarySentinel.size());
            runBegin = from;
        }
        const std::size_t n = d_.recordCount();
        for (RecordIndex i = 0; ok && i < n; ++i) {
            const std::uint8_t st = state_[i];
            const bool verbatim = !(st & kLeftOut) && !(st & kEdited) && !(anyLeftOut_ && refersToLeftOut(i));
            if (verbatim) {
                if (runEnd != d_.recordBegin(i)) {
                    ok = putTags(data_ + runBegin, runEnd - runBegin);
                    runBegin = d_.recordBegin(i);
                }
                runEnd = d_.recordEnd(i);
                continue;
            }
            ok = ok && putTags(data_ + runBegin, runEnd - runBegin);
            runBegin = runEnd = d_.recordEnd(i);
            if (ok && !(st & kLeftOut)) {
                rewrite(i);
                ++stats_.recordsRewritten;
                ok = error_.empty() && putTags(scratch_.data(), scratch_.size());
            }
        }
        if (ok) {
            if (runEnd != d_.trailerBegin()) {
                ok = putTags(data_ + runBegin, runEnd - runBegin);
                runBegin = d_.trailerBegin();
            }
            // Bytes after 0 EOF are kept as read, but are no tags to convert.
            if (ok && converting) ok = putTags(data_ + runBegin, d_.trailerBegin() - runBegin);
            else if (ok) ok = put(data_ + runBegin, all.size() - runBegin);
        }
    }
    if (!ok) error = error_.empty() ? sink_.error() : error_;
    stats = stats_;
    return ok;
}

}  // namespace

bool writeDocument(const Document& doc, const EditSet& edits, Sink& sink, std::string& error,
                   WriteStats* stats) {
    Writer w(doc, edits, sink);
    WriteStats local;
    return w.run(error, stats ? *stats : local);
}

}  // namespace vrk::dxf
