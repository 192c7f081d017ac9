#include "emulator/db/drawing_current_layer.h"

#include <string_view>

#include "emulator/dxf/document.h"
#include "emulator/dxf/edit_set.h"
#include "emulator/dxf/well_known.h"

namespace vrk::emu {

namespace {

// The layer's name as the file spells it (raw bytes of its record).
std::string_view fileName(const AcDbStub* pLayer, const vrk::dxf::Document& doc) {
    return pLayer->sourceRecord() != UINT32_MAX ? doc.value(pLayer->sourceRecord(), 2) : std::string_view();
}

std::string_view headerName(const vrk::dxf::Document& doc) {
    const vrk::dxf::RecordIndex header = doc.headerVar("$CLAYER");
    return header != vrk::dxf::kNoRecord ? doc.value(header, 8) : std::string_view();
}

// The layer that $CLAYER names, or layer "0" when it names none the drawing holds.
AcDbStub* layerNamedInHeader(const AcDbImpDatabase& db, const vrk::dxf::Document& doc) {
    if (db.layerTable == nullptr) return nullptr;
    const std::string_view wanted = headerName(doc);
    AcDbStub* pLayerZero = nullptr;
    for (AcDbStub* pLayer : db.childrenOf(db.layerTable)) {
        const std::string_view name = fileName(pLayer, doc);
        if (!wanted.empty() && vrk::dxf::equalsIgnoreCase(name, wanted)) return pLayer;
        if (pLayerZero == nullptr && name == "0") pLayerZero = pLayer;
    }
    return pLayerZero;
}

}  // namespace

void readCurrentLayer(AcDbImpDatabase& db, const vrk::dxf::Document& doc) {
    db.currentLayer = layerNamedInHeader(db, doc);
}

void writeCurrentLayer(const AcDbImpDatabase& db, const vrk::dxf::Document& doc, vrk::dxf::EditSet& edits) {
    // A file is written back as read unless the current layer changed.
    if (db.currentLayer == nullptr || db.currentLayer->sourceRecord() == UINT32_MAX ||
        db.currentLayer == layerNamedInHeader(db, doc))
        return;
    edits.setHeaderValue("$CLAYER", 8, std::string(fileName(db.currentLayer, doc)));
}

}  // namespace vrk::emu
