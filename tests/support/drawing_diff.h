// What a change to a drawing file did, record by record, and what the solidify work should have done.
#pragma once

#include <cctype>
#include <set>
#include <string>

#include "emulator/dxf/document.h"
#include "emulator/dxf/reader.h"

namespace vrk::test {

using vrk::dxf::Document;
using vrk::dxf::Handle;
using vrk::dxf::RecordIndex;

struct DrawingDiff {
    std::set<Handle> removed;  // in the first file only
    std::set<Handle> changed;  // in both, with other bytes
    std::set<Handle> added;    // in the second file only
};

inline DrawingDiff diffDrawings(const Document& before, const Document& after) {
    DrawingDiff diff;
    for (RecordIndex i = 0; i < before.recordCount(); ++i) {
        const Handle h = before.record(i).handle;
        if (h == vrk::dxf::kNoHandle) continue;
        const RecordIndex j = after.find(h);
        if (j == vrk::dxf::kNoRecord) diff.removed.insert(h);
        else if (before.recordBytes(i) != after.recordBytes(j)) diff.changed.insert(h);
    }
    for (RecordIndex j = 0; j < after.recordCount(); ++j) {
        const Handle h = after.record(j).handle;
        if (h != vrk::dxf::kNoHandle && before.find(h) == vrk::dxf::kNoRecord) diff.added.insert(h);
    }
    return diff;
}

// True when the record names one of the handles in a pointer group (owners, reactors, soft and hard
// pointers, xdata handles).
inline bool refersToAny(const Document& doc, RecordIndex i, const std::set<Handle>& handles) {
    for (const auto& tag : doc.tags(i)) {
        const int c = tag.code;
        const bool pointer = (c >= 320 && c <= 369) || (c >= 390 && c <= 399) || c == 480 || c == 481 || c == 1005;
        Handle h = 0;
        if (pointer && vrk::dxf::parseHandle(tag.value, h) && handles.count(h)) return true;
    }
    return false;
}

inline void addWithOwned(const Document& doc, RecordIndex i, std::set<Handle>& out) {
    out.insert(doc.record(i).handle);
    for (RecordIndex owned : doc.ownedClosure(i)) out.insert(doc.record(owned).handle);
}

// Model space or a paper space.
inline bool isLayoutRecord(const vrk::dxf::BlockRecordInfo& info) {
    std::string name(info.name);
    for (char& c : name) c = static_cast<char>(toupper(static_cast<unsigned char>(c)));
    return name == "*MODEL_SPACE" || name.rfind("*PAPER_SPACE", 0) == 0;
}

// The block record's extension dictionary when it is what makes a block dynamic: it holds an
// ACAD_ENHANCEDBLOCK entry, or no entry at all; kNoRecord otherwise.
inline RecordIndex dynamicBlockDictionary(const Document& doc, const vrk::dxf::BlockRecordInfo& info) {
    const Handle xdict = doc.record(info.record).xdict;
    const RecordIndex dict = xdict == vrk::dxf::kNoHandle ? vrk::dxf::kNoRecord : doc.find(xdict);
    if (dict == vrk::dxf::kNoRecord) return vrk::dxf::kNoRecord;
    if (doc.typeName(dict) != "DICTIONARY" && doc.typeName(dict) != "ACDBDICTIONARYWDFLT") return vrk::dxf::kNoRecord;
    int entries = 0;
    for (const vrk::dxf::DictionaryEntry& entry : doc.dictionaryEntries(dict)) {
        if (doc.find(entry.handle) == vrk::dxf::kNoRecord) continue;
        if (entry.key == "ACAD_ENHANCEDBLOCK") return dict;
        ++entries;
    }
    return entries == 0 ? dict : vrk::dxf::kNoRecord;
}

// What solidifying should take out of the drawing: with dictionaries (the solidify command), the
// dynamic-block dictionary tree of every block that is no layout, and no layout's invisible entities;
// the invisible entities of every other definition, up to the first entity on a locked layer when the
// layers are not opened up first.
inline std::set<Handle> expectedRemovals(const Document& doc, bool dictionaries, bool layersOpenedUp) {
    std::set<Handle> removed;
    std::set<std::string> locked;
    for (const auto& layer : doc.layers())
        if (layer.locked()) locked.insert(std::string(layer.name));
    for (std::size_t slot = 0; slot < doc.blockRecords().size(); ++slot) {
        const vrk::dxf::BlockRecordInfo& info = doc.blockRecords()[slot];
        if (dictionaries) {
            if (isLayoutRecord(info)) continue;
            const RecordIndex dict = dynamicBlockDictionary(doc, info);
            if (dict != vrk::dxf::kNoRecord) addWithOwned(doc, dict, removed);
        }
        for (RecordIndex e : doc.blockEntities(slot)) {
            std::string layer(doc.entityLayer(e));
            if (layer.empty()) layer = "0";
            if (!layersOpenedUp && locked.count(layer)) break;
            if (doc.invisible(e)) addWithOwned(doc, e, removed);
        }
    }
    return removed;
}

inline std::unique_ptr<Document> readDrawing(const std::string& path) {
    vrk::dxf::ReadError err;
    return vrk::dxf::readDocument(path, err);
}

}  // namespace vrk::test
