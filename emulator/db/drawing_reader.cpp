// Builds the emulated database from a drawing file's records.
#include "emulator/db/drawing_reader.h"

#include <unordered_map>

#include "emulator/dxf/document.h"
#include "emulator/dxf/handle.h"
#include "emulator/dxf/text_codec.h"
#include "emulator/rx/class_registry.h"
#include "emulator/text.h"

namespace vrk::emu {

namespace {

using vrk::dxf::Document;
using vrk::dxf::RecordIndex;
using vrk::dxf::RecordKind;

// The host classes of the record types that drawings hold most.
const std::unordered_map<std::string_view, const char*>& knownTypes() {
    static const std::unordered_map<std::string_view, const char*> types = {
        {"LINE", "AcDbLine"},
        {"CIRCLE", "AcDbCircle"},
        {"ARC", "AcDbArc"},
        {"TEXT", "AcDbText"},
        {"MTEXT", "AcDbMText"},
        {"LWPOLYLINE", "AcDbPolyline"},
        {"POLYLINE", "AcDb2dPolyline"},
        {"VERTEX", "AcDbVertex"},
        {"SEQEND", "AcDbSequenceEnd"},
        {"ATTDEF", "AcDbAttributeDefinition"},
        {"ATTRIB", "AcDbAttribute"},
        {"POINT", "AcDbPoint"},
        {"HATCH", "AcDbHatch"},
        {"DIMENSION", "AcDbDimension"},
        {"SOLID", "AcDbSolid"},
        {"SPLINE", "AcDbSpline"},
        {"ELLIPSE", "AcDbEllipse"},
        {"VIEWPORT", "AcDbViewport"},
        {"LEADER", "AcDbLeader"},
        {"3DFACE", "AcDbFace"},
        {"INSERT", "AcDbBlockReference"},
        {"ACAD_TABLE", "AcDbTable"},
        {"DICTIONARY", "AcDbDictionary"},
        {"XRECORD", "AcDbXrecord"},
        {"LAYOUT", "AcDbLayout"},
        {"BLOCK_RECORD", "AcDbBlockTableRecord"},
        {"LAYER", "AcDbLayerTableRecord"},
    };
    return types;
}

class RecordClasses {
public:
    explicit RecordClasses(const Document& doc) {
        for (const auto& info : doc.classes()) {
            AcRxClass* pParent = findClass(info.isEntity ? "AcDbEntity" : "AcDbObject");
            if (!info.cppName.empty()) mFromClasses[info.dxfName] = ensureClass(info.cppName, pParent);
        }
    }

    // Records of one type come in runs and drawings hold few types: remember each answer.
    AcRxClass* classOf(const Document& doc, RecordIndex i) {
        const vrk::dxf::Record& record = doc.record(i);
        const std::uint32_t key = std::uint32_t(record.type) << 8 | std::uint32_t(record.kind);
        if (key == mLastKey) return mpLastClass;
        auto it = mByTypeAndKind.find(key);
        AcRxClass* pClass = it != mByTypeAndKind.end()
                                ? it->second
                                : mByTypeAndKind.emplace(key, classFor(doc.typeName(i), record.kind)).first->second;
        mLastKey = key;
        return mpLastClass = pClass;
    }

private:
    AcRxClass* classFor(std::string_view type, RecordKind kind) {
        auto known = knownTypes().find(type);
        if (known != knownTypes().end()) {
            const char* parent = kind == RecordKind::Entity ? "AcDbEntity" : "AcDbObject";
            if (type == "ACDBDICTIONARYWDFLT") parent = "AcDbDictionary";
            return ensureClass(known->second, findClass(parent));
        }
        auto listed = mFromClasses.find(type);
        if (listed != mFromClasses.end()) return listed->second;
        if (type == "ACDBDICTIONARYWDFLT") return ensureClass("AcDbDictionaryWithDefault", findClass("AcDbDictionary"));
        // A type the host has no class record for: named after the type, of the right kind.
        switch (kind) {
            case RecordKind::Entity: return ensureClass(std::string(type), findClass("AcDbEntity"));
            case RecordKind::TableEntry: return ensureClass(std::string(type), findClass("AcDbSymbolTableRecord"));
            default: return ensureClass(std::string(type), findClass("AcDbObject"));
        }
    }

    std::unordered_map<std::string_view, AcRxClass*> mFromClasses;
    std::unordered_map<std::uint32_t, AcRxClass*> mByTypeAndKind;
    std::uint32_t mLastKey = UINT32_MAX;
    AcRxClass* mpLastClass = nullptr;
};

// A block record has a layout when its 340 names a LAYOUT the drawing holds. Model space and the first
// paper space always have theirs: the host makes them on reading a file that lacks the link.
bool hasLayout(const Document& doc, RecordIndex blockRecord, const std::string& name) {
    const std::string folded = foldCase(name);
    if (folded == "*MODEL_SPACE" || folded == "*PAPER_SPACE") return true;
    vrk::dxf::Handle h = vrk::dxf::kNoHandle;
    if (!vrk::dxf::parseHandle(doc.value(blockRecord, 340), h) || h == vrk::dxf::kNoHandle) return false;
    const RecordIndex layout = doc.find(h);
    return layout != vrk::dxf::kNoRecord && doc.typeName(layout) == "LAYOUT";
}

AcRxClass* tableClass(std::string_view tableName) {
    if (tableName == "BLOCK_RECORD") return findClass("AcDbBlockTable");
    if (tableName == "LAYER") return findClass("AcDbLayerTable");
    return ensureClass(std::string(tableName) + " table", findClass("AcDbSymbolTable"));
}

}  // namespace

bool buildDatabase(AcDbImpDatabase& db, const Document& doc, const vrk::dxf::TextCodec& codec) {
    RecordClasses classes(doc);
    const size_t n = doc.recordCount();
    auto stubOfRecord = [&db](RecordIndex i) { return db.stubOfRecord(i); };

    // Every record with a handle is an object, but for the BLOCK and ENDBLK records of a definition,
    // which the host keeps inside the block table record.
    for (RecordIndex i = 0; i < n; ++i) {
        const vrk::dxf::Record& record = doc.record(i);
        if (record.handle == vrk::dxf::kNoHandle) continue;
        AcRxClass* pClass = nullptr;
        switch (record.kind) {
            case RecordKind::TableBegin: pClass = tableClass(doc.tableOf(i) ? doc.tableOf(i)->name : ""); break;
            case RecordKind::TableEntry:
            case RecordKind::Entity:
            case RecordKind::Object: pClass = classes.classOf(doc, i); break;
            default: continue;
        }
        db.newStub(pClass, nullptr, record.handle, i);
    }
    // The reader lets no duplicate handle by, so a handle names one record.
    // Dictionaries keep their entries in the file's records (see AcDbImpDatabase::childrenOf).
    // Runs of records share an owner (a block's entities, a table's records): ask once per run.
    vrk::dxf::Handle lastHandle = vrk::dxf::kNoHandle;
    AcDbStub* pLastStub = nullptr;
    auto stubOfHandle = [&](vrk::dxf::Handle h) -> AcDbStub* {
        if (h == vrk::dxf::kNoHandle) return nullptr;
        if (h != lastHandle) {
            const RecordIndex i = doc.find(h);
            lastHandle = h;
            pLastStub = i == vrk::dxf::kNoRecord ? nullptr : stubOfRecord(i);
        }
        return pLastStub;
    };

    db.forEachStub([&](AcDbStub& stub) {
        const RecordIndex i = stub.sourceRecord;
        stub.owner = stubOfHandle(doc.record(i).owner);
        stub.extDict = stubOfHandle(doc.record(i).xdict);
        if (doc.record(i).kind == RecordKind::TableEntry) stub.ensureContents().name = codec.decode(doc.value(i, 2));
    });

    // Tables and their records.
    for (const auto& table : doc.tables()) {
        AcDbStub* pTable = table.begin != vrk::dxf::kNoRecord ? stubOfRecord(table.begin) : nullptr;
        if (pTable == nullptr) continue;
        AcDbStubContents& contents = pTable->ensureContents();
        // The block and layer tables list only their own records, which their iterators hand out as
        // block and layer records; a stray entry of another type stays in the file as read.
        const bool typed = table.name == "BLOCK_RECORD" || table.name == "LAYER";
        for (RecordIndex i = table.begin + 1; i < table.end; ++i)
            if (stubOfRecord(i) != nullptr && doc.record(i).kind == RecordKind::TableEntry &&
                (!typed || doc.typeName(i) == table.name))
                contents.children.push_back(stubOfRecord(i));
        if (table.name == "BLOCK_RECORD") db.blockTable = pTable;
        if (table.name == "LAYER") db.layerTable = pTable;
    }
    if (db.blockTable == nullptr || db.layerTable == nullptr) return false;

    // Layer switches; entities find their layer by name.
    std::unordered_map<std::string_view, AcDbStub*> layerByName;
    for (const auto& layer : doc.layers()) {
        AcDbStub* pLayer = stubOfRecord(layer.record);
        if (pLayer == nullptr) continue;
        pLayer->off = layer.off();
        pLayer->frozen = layer.frozen();
        pLayer->locked = layer.locked();
        layerByName.emplace(layer.name, pLayer);
    }
    AcDbStub* pLayerZero = layerByName.count("0") ? layerByName["0"] : nullptr;
    std::unordered_map<std::string, AcDbStub*> layerByFoldedName;
    auto findLayer = [&](std::string_view raw) -> AcDbStub* {
        if (raw.empty()) return pLayerZero;
        auto exact = layerByName.find(raw);
        if (exact != layerByName.end()) return exact->second;
        // Layer names are matched ignoring case, as the host does.
        if (layerByFoldedName.empty())
            for (const auto& [name, pLayer] : layerByName)
                layerByFoldedName.emplace(foldCase(codec.decode(name)), pLayer);
        auto folded = layerByFoldedName.find(foldCase(codec.decode(raw)));
        return folded != layerByFoldedName.end() ? folded->second : nullptr;
    };

    // Block definitions and their entities.
    for (size_t slot = 0; slot < doc.blockRecords().size(); ++slot) {
        const auto& info = doc.blockRecords()[slot];
        AcDbStub* pBlock = stubOfRecord(info.record);
        if (pBlock == nullptr) continue;
        AcDbStubContents& contents = pBlock->ensureContents();
        contents.hasLayout = hasLayout(doc, info.record, contents.name);
        // Sized once: a block of a million entities would otherwise pass through copies of twice its size.
        contents.children.reserve(contents.children.size() + doc.blockEntities(slot).size());
        for (RecordIndex e : doc.blockEntities(slot)) {
            AcDbStub* pEntity = stubOfRecord(e);
            if (pEntity == nullptr) continue;
            contents.children.push_back(pEntity);
            pEntity->layer = findLayer(doc.entityLayer(e));
            pEntity->invisible = doc.invisible(e);
            if (pEntity->owner == nullptr) pEntity->owner = pBlock;
        }
    }
    doc.releaseEntityIndex();  // the blocks hold their entities now
    // A reference finds its definition and counts in its record when asked; only its class is needed now.
    AcRxClass* pMInsert = ensureClass("AcDbMInsertBlock", findClass("AcDbBlockReference"));
    db.forEachStub([&](AcDbStub& stub) {
        const RecordIndex i = stub.sourceRecord;
        if (doc.isInsert(i) && (doc.insertColumns(i) > 1 || doc.insertRows(i) > 1)) stub.cls = pMInsert;
    });

    // The named object dictionary: the first dictionary of OBJECTS, which nothing owns.
    if (const auto* objects = doc.section(vrk::dxf::SectionId::Objects)) {
        for (RecordIndex i = objects->begin; i < objects->end; ++i)
            if (stubOfRecord(i) != nullptr && doc.isDictionary(i)) {
                db.namedObjects = stubOfRecord(i);
                break;
            }
    }
    return true;
}

}  // namespace vrk::emu
