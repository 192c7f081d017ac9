// What a change to a drawing file did, record by record, and what the solidify work should have done.
#pragma once

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

// What solidifying should take out of the drawing: with dictionaries, every block record's extension
// dictionary tree; the invisible entities of every definition, up to the first entity on a locked layer
// when the layers are not opened up first.
inline std::set<Handle> expectedRemovals(const Document& doc, bool dictionaries, bool layersOpenedUp) {
    std::set<Handle> removed;
    std::set<std::string> locked;
    for (const auto& layer : doc.layers())
        if (layer.locked()) locked.insert(std::string(layer.name));
    for (std::size_t slot = 0; slot < doc.blockRecords().size(); ++slot) {
        const RecordIndex record = doc.blockRecords()[slot].record;
        if (dictionaries && doc.record(record).xdict != vrk::dxf::kNoHandle) {
            const RecordIndex dict = doc.find(doc.record(record).xdict);
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
    return vrk::dxf::readDocument(path, err, vrk::dxf::ReadMode::Copy);
}

}  // namespace vrk::test
