#include "document.h"

#include <algorithm>
#include <functional>
#include <unordered_set>

#include "well_known.h"

namespace vrk::dxf {

Document::Document() = default;
Document::~Document() = default;

std::size_t Document::prefixEnd() const { return mRecords.empty() ? mTrailerBegin : mRecords[0].begin; }

bool Document::findValue(RecordIndex i, int code, std::string_view& out) const {
    for (const Tag& t : tags(i)) {
        if (t.code == code) {
            out = t.value;
            return true;
        }
    }
    return false;
}

std::string_view Document::value(RecordIndex i, int code) const {
    std::string_view v;
    return findValue(i, code, v) ? v : std::string_view();
}

bool Document::intValue(RecordIndex i, int code, long long& out) const {
    for (const Tag& t : tags(i)) {
        if (t.code == code) return integerValue(t, out);
    }
    return false;
}

namespace {

// Handles of one 102 {NAME group with the given entry code.
std::vector<Handle> groupHandles(const Document& d, RecordIndex i, std::string_view groupName, int code) {
    std::vector<Handle> out;
    bool in = false;
    for (const Tag& t : d.tags(i)) {
        if (t.code == 1001) break;
        if (t.code == 102) {
            std::string_view v = trimBlanks(t.value);
            if (v == groupName) in = true;
            else if (v == "}" && in) break;
            continue;
        }
        Handle h = kNoHandle;
        if (in && t.code == code && parseHandle(t.value, h)) out.push_back(h);
    }
    return out;
}

// The span (section or table, in file order, none inside another) whose begin..end holds record i.
template <class Span>
const Span* spanHolding(const std::vector<Span>& spans, RecordIndex i) {
    auto it = std::upper_bound(spans.begin(), spans.end(), i, [](RecordIndex x, const Span& s) { return x < s.begin; });
    if (it == spans.begin()) return nullptr;
    --it;
    return i <= it->end ? &*it : nullptr;
}

}  // namespace

std::vector<Handle> Document::reactors(RecordIndex i) const {
    if (!mRecords[i].has(kFlagReactors)) return {};
    return groupHandles(*this, i, "{ACAD_REACTORS", 330);
}

std::vector<Handle> Document::blockReferences(RecordIndex i) const {
    if (!mRecords[i].has(kFlagBlkrefs)) return {};
    return groupHandles(*this, i, "{BLKREFS", 331);
}

const SectionInfo* Document::section(SectionId id) const {
    for (const SectionInfo& s : mSections) {
        if (s.id == id) return &s;
    }
    return nullptr;
}

const SectionInfo* Document::sectionOf(RecordIndex i) const { return spanHolding(mSections, i); }

const TableInfo* Document::table(std::string_view name) const {
    for (const TableInfo& t : mTables) {
        if (t.name == name) return &t;
    }
    return nullptr;
}

const TableInfo* Document::tableOf(RecordIndex i) const { return spanHolding(mTables, i); }

RecordIndex Document::enclosingBlock(RecordIndex i) const {
    auto it = std::upper_bound(mBlocks.begin(), mBlocks.end(), i,
                               [](RecordIndex x, const std::pair<RecordIndex, RecordIndex>& b) { return x < b.first; });
    if (it == mBlocks.begin()) return kNoRecord;
    --it;
    return i <= it->second ? it->first : kNoRecord;
}

RecordIndex Document::headerVar(std::string_view name) const {
    auto it = mHeaderVars.find(name);
    return it == mHeaderVars.end() ? kNoRecord : it->second;
}

const LayerInfo* Document::layer(std::string_view name) const {
    for (const LayerInfo& l : mLayers) {
        if (l.name == name) return &l;
    }
    return nullptr;
}

int Document::blockRecordSlot(RecordIndex blockRecord) const {
    auto it = mBlockRecordSlots.find(blockRecord);
    return it == mBlockRecordSlots.end() ? -1 : it->second;
}

int Document::entityBlockSlot(RecordIndex e) const {
    const Record& r = mRecords[e];
    if (r.kind != RecordKind::Entity) return -1;
    if (r.has(kFlagPart)) return entityBlockSlot(r.parent);
    RecordIndex owner = find(r.owner);
    if (owner != kNoRecord) {
        int slot = blockRecordSlot(owner);
        if (slot >= 0) return slot;
    }
    if (r.parent != kNoRecord) {  // in BLOCKS without a usable 330: the block it sits in
        auto it =
            std::lower_bound(mBlocks.begin(), mBlocks.end(), r.parent,
                             [](const std::pair<RecordIndex, RecordIndex>& b, RecordIndex x) { return b.first < x; });
        if (it != mBlocks.end() && it->first == r.parent) return mBlockSlots[std::size_t(it - mBlocks.begin())];
        return -1;
    }
    for (std::size_t s = 0; s < mBlockRecords.size(); ++s) {  // ENTITIES without a usable 330
        if (equalsIgnoreCase(mBlockRecords[s].name, "*Model_Space")) return int(s);
    }
    return -1;
}

void Document::buildEntityIndex() const {
    if (mEntityIndexBuilt) return;
    // Two passes (count, then place) instead of a list of pairs: no transient copy of every entity.
    const std::size_t slots = mBlockRecords.size();
    mEntityOffsets.assign(slots + 1, 0);
    auto forEach = [&](auto&& fn) {
        for (RecordIndex i = 0; i < mRecords.size(); ++i) {
            const Record& r = mRecords[i];
            if (r.kind != RecordKind::Entity || r.has(kFlagPart)) continue;
            int slot = entityBlockSlot(i);
            if (slot >= 0) fn(std::size_t(slot), i);
        }
    };
    forEach([&](std::size_t slot, RecordIndex) { ++mEntityOffsets[slot + 1]; });
    for (std::size_t s = 0; s < slots; ++s) mEntityOffsets[s + 1] += mEntityOffsets[s];
    mEntityList.assign(mEntityOffsets[slots], kNoRecord);
    std::vector<std::uint32_t> fill(mEntityOffsets.begin(), mEntityOffsets.end() - 1);
    forEach([&](std::size_t slot, RecordIndex i) { mEntityList[fill[slot]++] = i; });
    mEntityIndexBuilt = true;
}

IndexSpan Document::blockEntities(std::size_t slot) const {
    buildEntityIndex();
    if (slot >= mBlockRecords.size()) return {};
    return IndexSpan{mEntityList.data() + mEntityOffsets[slot], mEntityOffsets[slot + 1] - mEntityOffsets[slot]};
}

std::vector<RecordIndex> Document::parts(RecordIndex entity) const {
    std::vector<RecordIndex> out;
    for (RecordIndex i = entity + 1; i < mRecords.size() && mRecords[i].has(kFlagPart) && mRecords[i].parent == entity;
         ++i) {
        out.push_back(i);
    }
    return out;
}

bool Document::isInsert(RecordIndex i) const { return mRecords[i].type == kWtInsert; }

int Document::insertColumns(RecordIndex i) const {
    long long v = 0;
    return intValue(i, 70, v) && v > 1 ? int(v) : 1;
}

int Document::insertRows(RecordIndex i) const {
    long long v = 0;
    return intValue(i, 71, v) && v > 1 ? int(v) : 1;
}

bool Document::isDictionary(RecordIndex i) const {
    std::uint16_t t = mRecords[i].type;
    return mRecords[i].kind == RecordKind::Object && (t == kWtDictionary || t == kWtDictionaryWithDefault);
}

RecordIndex Document::namedObjectsDictionary() const {
    const SectionInfo* objects = section(SectionId::Objects);
    if (!objects) return kNoRecord;
    for (RecordIndex i = objects->begin; i < objects->end; ++i) {
        if (isDictionary(i)) return i;
    }
    return kNoRecord;
}

std::vector<DictionaryEntry> Document::dictionaryEntries(RecordIndex i) const {
    std::vector<DictionaryEntry> out;
    forEachDictionaryEntry(i, [&out](const DictionaryEntry& e) { out.push_back(e); });
    return out;
}

void Document::forEachDictionaryEntry(RecordIndex i, const std::function<void(const DictionaryEntry&)>& fn) const {
    if (!isDictionary(i)) return;
    std::string_view key;
    bool haveKey = false;
    int group = 0;
    for (const Tag& t : tags(i)) {
        if (t.code == 1001) break;
        if (t.code == 102) {
            std::string_view v = trimBlanks(t.value);
            group = (!v.empty() && v[0] == '{') ? 1 : 0;
            continue;
        }
        if (group) continue;
        if (t.code == 3) {
            key = t.value;
            haveKey = true;
        } else if ((t.code == 350 || t.code == 360) && haveKey) {
            DictionaryEntry e;
            e.key = key;
            e.hardOwner = t.code == 360;
            parseHandle(t.value, e.handle);
            fn(e);
            haveKey = false;
        }
    }
}

template <class Add>
void Document::forEachOwnerNamed(RecordIndex i, OwnerLookup& last, const Add& add) const {
    const Record& r = mRecords[i];
    if (r.owner != kNoHandle) {
        if (r.owner != last.handle) last = OwnerLookup{r.owner, find(r.owner)};
        const RecordIndex o = last.record;
        if (o != kNoRecord && o != i) add(o, i);
    }
    if (r.has(kFlagPart) && (r.owner == kNoHandle || r.owner != mRecords[r.parent].handle)) add(r.parent, i);
}

template <class Add>
void Document::forEachOwnedNamed(RecordIndex i, const Add& add) const {
    const Record& r = mRecords[i];
    if (r.xdict != kNoHandle) {
        RecordIndex x = find(r.xdict);
        if (x != kNoRecord && x != i && mRecords[x].owner != r.handle) add(i, x);
    }
    if (isDictionary(i)) {
        forEachDictionaryEntry(i, [&](const DictionaryEntry& e) {
            if (!e.hardOwner) return;
            RecordIndex x = find(e.handle);
            if (x != kNoRecord && x != i && mRecords[x].owner != r.handle) add(i, x);
        });
    }
}

template <class Add>
void Document::forEachInBlockSpan(const BlockRecordInfo& b, const Add& add) const {
    // A block record owns its BLOCK span even where 330s are missing or name something else.
    if (b.blockBegin == kNoRecord) return;
    const Handle h = mRecords[b.record].handle;
    for (RecordIndex i = b.blockBegin; i <= b.blockEnd; ++i) {
        const Record& r = mRecords[i];
        if (r.has(kFlagPart) || r.owner == h || i == b.record) continue;
        add(b.record, i);
    }
}

template <class Add>
void Document::forEachOwnership(const Add& add) const {
    const std::size_t n = mRecords.size();
    OwnerLookup last;
    for (RecordIndex i = 0; i < n; ++i) {
        forEachOwnerNamed(i, last, add);
        forEachOwnedNamed(i, add);
    }
    for (const BlockRecordInfo& b : mBlockRecords) forEachInBlockSpan(b, add);
}

void Document::buildOwnership() const {
    if (mOwnershipBuilt) return;
    // Counting pass, then placing pass: linear, and no transient list of edges. The guards in
    // forEachOwnership keep duplicates out.
    const std::size_t n = mRecords.size();
    mOwnedOffsets.assign(n + 1, 0);
    forEachOwnership([&](RecordIndex owner, RecordIndex) { ++mOwnedOffsets[owner + 1]; });
    for (std::size_t i = 0; i < n; ++i) mOwnedOffsets[i + 1] += mOwnedOffsets[i];
    mOwnedList.assign(mOwnedOffsets[n], kNoRecord);
    // Place each edge at its owner's cursor (offsets[owner] walks to the next owner's start), then shift
    // the offsets back: saves a cursor array as large as the record list.
    forEachOwnership([&](RecordIndex owner, RecordIndex owned) { mOwnedList[mOwnedOffsets[owner]++] = owned; });
    for (std::size_t i = n; i > 0; --i) mOwnedOffsets[i] = mOwnedOffsets[i - 1];
    mOwnedOffsets[0] = 0;
    mOwnershipBuilt = true;
}

IndexSpan Document::ownedDirectly(RecordIndex i) const {
    buildOwnership();
    return IndexSpan{mOwnedList.data() + mOwnedOffsets[i], mOwnedOffsets[i + 1] - mOwnedOffsets[i]};
}

std::vector<RecordIndex> Document::ownedClosure(RecordIndex root) const {
    buildOwnership();
    std::vector<RecordIndex> out;
    std::unordered_set<RecordIndex> seen{root};
    std::size_t next = 0;
    auto visit = [&](RecordIndex from) {
        for (RecordIndex c : ownedDirectly(from)) {
            if (seen.insert(c).second) out.push_back(c);
        }
    };
    visit(root);
    while (next < out.size()) visit(out[next++]);
    return out;
}

std::size_t Document::addOwned(std::vector<std::uint8_t>& set) const {
    // A member whose owned records are in is marked so; the rest of set's nonzero values mean members
    // still to follow. No worklist: on a large drawing it would be megabytes of fresh memory.
    constexpr std::uint8_t kFollowed = 0x80;
    std::size_t added = 0;
    auto take = [&](RecordIndex, RecordIndex c) {
        if (set[c] != 0) return;
        set[c] = 1;
        ++added;
    };
    const RecordIndex n = RecordIndex(mRecords.size());
    // Owners mostly come before what they own: a pass or two settles it. A file whose owners come after,
    // chain after chain, gets the index instead of a pass per link.
    constexpr int kPassesBeforeIndex = 4;
    for (int pass = 0; pass < kPassesBeforeIndex; ++pass) {
        bool changed = false;
        OwnerLookup last;
        for (RecordIndex i = 0; i < n; ++i) {
            if (set[i] == 0) {
                forEachOwnerNamed(i, last, [&](RecordIndex owner, RecordIndex owned) {
                    if (set[owner] != 0) take(owner, owned);
                });
                if (set[i] == 0) continue;
            }
            if (set[i] & kFollowed) continue;
            set[i] |= kFollowed;
            changed = true;
            forEachOwnedNamed(i, take);
            if (mRecords[i].kind == RecordKind::TableEntry) {
                const int slot = blockRecordSlot(i);
                if (slot >= 0) forEachInBlockSpan(mBlockRecords[std::size_t(slot)], take);
            }
        }
        if (!changed) return added;
    }
    std::vector<RecordIndex> queue;
    for (RecordIndex i = 0; i < n; ++i) {
        if (set[i] != 0) queue.push_back(i);
    }
    while (!queue.empty()) {
        const RecordIndex i = queue.back();
        queue.pop_back();
        for (RecordIndex c : ownedDirectly(i)) {
            if (set[c] != 0) continue;
            set[c] = 1;
            ++added;
            queue.push_back(c);
        }
    }
    return added;
}

}  // namespace vrk::dxf
