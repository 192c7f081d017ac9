#include "document.h"

#include <algorithm>
#include <functional>
#include <unordered_set>

#include "well_known.h"

namespace vrk::dxf {

Document::Document() = default;
Document::~Document() = default;

std::size_t Document::prefixEnd() const {
    return records_.empty() ? trailerBegin_ : records_[0].begin;
}

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
            if (v == groupName)
                in = true;
            else if (v == "}" && in)
                break;
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
    auto it = std::upper_bound(spans.begin(), spans.end(), i,
                               [](RecordIndex x, const Span& s) { return x < s.begin; });
    if (it == spans.begin()) return nullptr;
    --it;
    return i <= it->end ? &*it : nullptr;
}

}  // namespace

std::vector<Handle> Document::reactors(RecordIndex i) const {
    if (!records_[i].has(kFlagReactors)) return {};
    return groupHandles(*this, i, "{ACAD_REACTORS", 330);
}

std::vector<Handle> Document::blockReferences(RecordIndex i) const {
    if (!records_[i].has(kFlagBlkrefs)) return {};
    return groupHandles(*this, i, "{BLKREFS", 331);
}

const SectionInfo* Document::section(SectionId id) const {
    for (const SectionInfo& s : sections_) {
        if (s.id == id) return &s;
    }
    return nullptr;
}

const SectionInfo* Document::sectionOf(RecordIndex i) const {
    return spanHolding(sections_, i);
}

const TableInfo* Document::table(std::string_view name) const {
    for (const TableInfo& t : tables_) {
        if (t.name == name) return &t;
    }
    return nullptr;
}

const TableInfo* Document::tableOf(RecordIndex i) const {
    return spanHolding(tables_, i);
}

RecordIndex Document::enclosingBlock(RecordIndex i) const {
    auto it = std::upper_bound(
        blocks_.begin(), blocks_.end(), i,
        [](RecordIndex x, const std::pair<RecordIndex, RecordIndex>& b) { return x < b.first; });
    if (it == blocks_.begin()) return kNoRecord;
    --it;
    return i <= it->second ? it->first : kNoRecord;
}

RecordIndex Document::headerVar(std::string_view name) const {
    auto it = headerVars_.find(name);
    return it == headerVars_.end() ? kNoRecord : it->second;
}

const LayerInfo* Document::layer(std::string_view name) const {
    for (const LayerInfo& l : layers_) {
        if (l.name == name) return &l;
    }
    return nullptr;
}

int Document::blockRecordSlot(RecordIndex blockRecord) const {
    auto it = blockRecordSlots_.find(blockRecord);
    return it == blockRecordSlots_.end() ? -1 : it->second;
}

int Document::entityBlockSlot(RecordIndex e) const {
    const Record& r = records_[e];
    if (r.kind != RecordKind::Entity) return -1;
    if (r.has(kFlagPart)) return entityBlockSlot(r.parent);
    RecordIndex owner = find(r.owner);
    if (owner != kNoRecord) {
        int slot = blockRecordSlot(owner);
        if (slot >= 0) return slot;
    }
    if (r.parent != kNoRecord) {  // in BLOCKS without a usable 330: the block it sits in
        auto it = std::lower_bound(
            blocks_.begin(), blocks_.end(), r.parent,
            [](const std::pair<RecordIndex, RecordIndex>& b, RecordIndex x) { return b.first < x; });
        if (it != blocks_.end() && it->first == r.parent)
            return blockSlots_[std::size_t(it - blocks_.begin())];
        return -1;
    }
    for (std::size_t s = 0; s < blockRecords_.size(); ++s) {  // ENTITIES without a usable 330
        if (equalsIgnoreCase(blockRecords_[s].name, "*Model_Space")) return int(s);
    }
    return -1;
}

void Document::buildEntityIndex() const {
    if (entityIndexBuilt_) return;
    // Two passes (count, then place) instead of a list of pairs: no transient copy of every entity.
    const std::size_t slots = blockRecords_.size();
    entityOffsets_.assign(slots + 1, 0);
    auto forEach = [&](auto&& fn) {
        for (RecordIndex i = 0; i < records_.size(); ++i) {
            const Record& r = records_[i];
            if (r.kind != RecordKind::Entity || r.has(kFlagPart)) continue;
            int slot = entityBlockSlot(i);
            if (slot >= 0) fn(std::size_t(slot), i);
        }
    };
    forEach([&](std::size_t slot, RecordIndex) { ++entityOffsets_[slot + 1]; });
    for (std::size_t s = 0; s < slots; ++s) entityOffsets_[s + 1] += entityOffsets_[s];
    entityList_.assign(entityOffsets_[slots], kNoRecord);
    std::vector<std::uint32_t> fill(entityOffsets_.begin(), entityOffsets_.end() - 1);
    forEach([&](std::size_t slot, RecordIndex i) { entityList_[fill[slot]++] = i; });
    entityIndexBuilt_ = true;
}

IndexSpan Document::blockEntities(std::size_t slot) const {
    buildEntityIndex();
    if (slot >= blockRecords_.size()) return {};
    return IndexSpan{entityList_.data() + entityOffsets_[slot],
                     entityOffsets_[slot + 1] - entityOffsets_[slot]};
}

void Document::releaseEntityIndex() const {
    std::vector<std::uint32_t>().swap(entityOffsets_);
    std::vector<RecordIndex>().swap(entityList_);
    entityIndexBuilt_ = false;
}

std::vector<RecordIndex> Document::parts(RecordIndex entity) const {
    std::vector<RecordIndex> out;
    for (RecordIndex i = entity + 1;
         i < records_.size() && records_[i].has(kFlagPart) && records_[i].parent == entity; ++i) {
        out.push_back(i);
    }
    return out;
}

bool Document::isInsert(RecordIndex i) const {
    return records_[i].type == kWtInsert;
}

int Document::insertColumns(RecordIndex i) const {
    long long v = 0;
    return intValue(i, 70, v) && v > 1 ? int(v) : 1;
}

int Document::insertRows(RecordIndex i) const {
    long long v = 0;
    return intValue(i, 71, v) && v > 1 ? int(v) : 1;
}

bool Document::isDictionary(RecordIndex i) const {
    std::uint16_t t = records_[i].type;
    return records_[i].kind == RecordKind::Object && (t == kWtDictionary || t == kWtDictionaryWithDefault);
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

void Document::forEachOwnership(const std::function<void(RecordIndex, RecordIndex)>& add) const {
    const std::size_t n = records_.size();
    for (RecordIndex i = 0; i < n; ++i) {
        const Record& r = records_[i];
        if (r.owner != kNoHandle) {
            RecordIndex o = find(r.owner);
            if (o != kNoRecord && o != i) add(o, i);
        }
        if (r.xdict != kNoHandle) {
            RecordIndex x = find(r.xdict);
            if (x != kNoRecord && x != i && records_[x].owner != r.handle) add(i, x);
        }
        if (r.has(kFlagPart) && (r.owner == kNoHandle || r.owner != records_[r.parent].handle))
            add(r.parent, i);
        if (isDictionary(i)) {
            forEachDictionaryEntry(i, [&](const DictionaryEntry& e) {
                if (!e.hardOwner) return;
                RecordIndex x = find(e.handle);
                if (x != kNoRecord && x != i && records_[x].owner != r.handle) add(i, x);
            });
        }
    }
    // A block record owns its BLOCK span even where 330s are missing or name something else.
    for (const BlockRecordInfo& b : blockRecords_) {
        if (b.blockBegin == kNoRecord) continue;
        const Handle h = records_[b.record].handle;
        for (RecordIndex i = b.blockBegin; i <= b.blockEnd; ++i) {
            const Record& r = records_[i];
            if (r.has(kFlagPart) || r.owner == h || i == b.record) continue;
            add(b.record, i);
        }
    }
}

void Document::buildOwnership() const {
    if (ownershipBuilt_) return;
    // Counting pass, then placing pass: linear, and no transient list of edges. The guards in
    // forEachOwnership keep duplicates out.
    const std::size_t n = records_.size();
    ownedOffsets_.assign(n + 1, 0);
    forEachOwnership([&](RecordIndex owner, RecordIndex) { ++ownedOffsets_[owner + 1]; });
    for (std::size_t i = 0; i < n; ++i) ownedOffsets_[i + 1] += ownedOffsets_[i];
    ownedList_.assign(ownedOffsets_[n], kNoRecord);
    // Place each edge at its owner's cursor (offsets[owner] walks to the next owner's start), then shift
    // the offsets back: saves a cursor array as large as the record list.
    forEachOwnership(
        [&](RecordIndex owner, RecordIndex owned) { ownedList_[ownedOffsets_[owner]++] = owned; });
    for (std::size_t i = n; i > 0; --i) ownedOffsets_[i] = ownedOffsets_[i - 1];
    ownedOffsets_[0] = 0;
    ownershipBuilt_ = true;
}

IndexSpan Document::ownedDirectly(RecordIndex i) const {
    buildOwnership();
    return IndexSpan{ownedList_.data() + ownedOffsets_[i], ownedOffsets_[i + 1] - ownedOffsets_[i]};
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

}  // namespace vrk::dxf
