// Builds the emulated database from a drawing file's records.
#include "emulator/db/drawing_reader.h"

#include <memory>
#include <unordered_map>
#include <vector>

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

// The host class of a record's type and kind.
AcRxClass* classFor(std::string_view type, RecordKind kind,
                    const std::unordered_map<std::string_view, AcRxClass*>& fromClasses) {
    auto known = knownTypes().find(type);
    if (known != knownTypes().end()) {
        const char* parent = kind == RecordKind::Entity ? "AcDbEntity" : "AcDbObject";
        if (type == "ACDBDICTIONARYWDFLT") parent = "AcDbDictionary";
        return ensureClass(known->second, findClass(parent));
    }
    auto listed = fromClasses.find(type);
    if (listed != fromClasses.end()) return listed->second;
    if (type == "ACDBDICTIONARYWDFLT") return ensureClass("AcDbDictionaryWithDefault", findClass("AcDbDictionary"));
    // A type the host has no class record for: named after the type, of the right kind.
    switch (kind) {
        case RecordKind::Entity: return ensureClass(std::string(type), findClass("AcDbEntity"));
        case RecordKind::TableEntry: return ensureClass(std::string(type), findClass("AcDbSymbolTableRecord"));
        default: return ensureClass(std::string(type), findClass("AcDbObject"));
    }
}

// Answers for the objects read from a drawing from their records (see AcDbStub).
class DrawingObjects final : public FileObjects {
public:
    DrawingObjects(const AcDbImpDatabase& db, const Document& doc, const vrk::dxf::TextCodec& codec)
        : mDb(db),
          mDoc(doc),
          mCodec(codec),
          mpMInsert(ensureClass("AcDbMInsertBlock", findClass("AcDbBlockReference"))) {
        for (const auto& info : doc.classes()) {
            AcRxClass* pParent = findClass(info.isEntity ? "AcDbEntity" : "AcDbObject");
            if (!info.cppName.empty()) mFromClasses[info.dxfName] = ensureClass(info.cppName, pParent);
        }
    }

    // Finds the class of the record's type and kind now, so that asking for it later costs a look-up.
    void learnClass(RecordIndex i) {
        const std::size_t key = classKey(i);
        if (key == mLastKey) return;
        mLastKey = key;
        if (key >= mClasses.size()) mClasses.resize(key + 1, nullptr);
        if (mClasses[key] == nullptr) mClasses[key] = classFor(mDoc.typeName(i), mDoc.record(i).kind, mFromClasses);
    }

    void addLayer(std::string_view name, AcDbStub* pLayer) {
        mLayerByName.emplace(name, pLayer);
        if (name == "0" && mpLayerZero == nullptr) mpLayerZero = pLayer;
    }

    std::uint64_t handle(std::uint32_t record) const override { return mDoc.record(record).handle; }

    AcRxClass* cls(std::uint32_t record) const override {
        const std::size_t key = classKey(record);
        AcRxClass* pClass = key < mClasses.size() ? mClasses[key] : nullptr;
        // A reference of more than one column or row is a multiple insert.
        if (mDoc.isInsert(record) && (mDoc.insertColumns(record) > 1 || mDoc.insertRows(record) > 1)) return mpMInsert;
        return pClass;
    }

    AcDbStub* owner(std::uint32_t record) const override {
        if (AcDbStub* pOwner = stubOfHandle(mDoc.record(record).owner)) return pOwner;
        // An entity of a definition without a usable owner handle belongs to the definition it sits in.
        if (!isEntity(record)) return nullptr;
        const int slot = mDoc.entityBlockSlot(record);
        return slot >= 0 ? mDb.stubOfRecord(mDoc.blockRecords()[static_cast<std::size_t>(slot)].record) : nullptr;
    }

    AcDbStub* extDict(std::uint32_t record) const override { return stubOfHandle(mDoc.record(record).xdict); }

    AcDbStub* layer(std::uint32_t record) const override {
        return isEntity(record) ? findLayer(mDoc.entityLayer(record)) : nullptr;
    }

    bool invisible(std::uint32_t record) const override { return isEntity(record) && mDoc.invisible(record); }

private:
    std::size_t classKey(RecordIndex i) const {
        const vrk::dxf::Record& record = mDoc.record(i);
        return std::size_t(record.type) << 4 | std::size_t(record.kind);
    }

    // Entities of definitions, not the parts of another entity.
    bool isEntity(RecordIndex i) const { return mDoc.record(i).kind == RecordKind::Entity && !mDoc.isPart(i); }

    AcDbStub* stubOfHandle(vrk::dxf::Handle h) const {
        if (h == vrk::dxf::kNoHandle) return nullptr;
        const RecordIndex i = mDoc.find(h);
        return i == vrk::dxf::kNoRecord ? nullptr : mDb.stubOfRecord(i);
    }

    AcDbStub* findLayer(std::string_view raw) const {
        if (raw.empty()) return mpLayerZero;
        auto exact = mLayerByName.find(raw);
        if (exact != mLayerByName.end()) return exact->second;
        // Layer names are matched ignoring case, as the host does.
        if (mLayerByFoldedName.empty())
            for (const auto& [name, pLayer] : mLayerByName)
                mLayerByFoldedName.emplace(foldCase(mCodec.decode(name)), pLayer);
        auto folded = mLayerByFoldedName.find(foldCase(mCodec.decode(raw)));
        return folded != mLayerByFoldedName.end() ? folded->second : nullptr;
    }

    const AcDbImpDatabase& mDb;
    const Document& mDoc;
    const vrk::dxf::TextCodec& mCodec;
    AcRxClass* mpMInsert;
    std::unordered_map<std::string_view, AcRxClass*> mFromClasses;
    std::vector<AcRxClass*> mClasses;  // by type and kind (classKey)
    std::size_t mLastKey = SIZE_MAX;
    std::unordered_map<std::string_view, AcDbStub*> mLayerByName;
    mutable std::unordered_map<std::string, AcDbStub*> mLayerByFoldedName;
    AcDbStub* mpLayerZero = nullptr;
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
    auto pObjects = std::make_unique<DrawingObjects>(db, doc, codec);
    DrawingObjects& objects = *pObjects;
    const size_t n = doc.recordCount();
    db.makeFileStubs(n, std::move(pObjects));
    auto stubOfRecord = [&db](RecordIndex i) { return db.stubOfRecord(i); };

    // Every record with a handle is an object, but for the BLOCK and ENDBLK records of a definition,
    // which the host keeps inside the block table record. The rest the records answer when asked.
    for (RecordIndex i = 0; i < n; ++i) {
        const vrk::dxf::Record& record = doc.record(i);
        if (record.handle == vrk::dxf::kNoHandle) continue;
        switch (record.kind) {
            case RecordKind::TableBegin:
                db.makeFileObject(i, record.handle);
                db.more(db.stubOfRecord(i)).cls = tableClass(doc.tableOf(i) ? doc.tableOf(i)->name : "");
                break;
            case RecordKind::TableEntry:
                db.makeFileObject(i, record.handle);
                objects.learnClass(i);
                db.stubOfRecord(i)->ensureContents().name = codec.decode(doc.value(i, 2));
                break;
            case RecordKind::Entity:
            case RecordKind::Object:
                db.makeFileObject(i, record.handle);
                objects.learnClass(i);
                break;
            default: break;
        }
    }
    // The reader lets no duplicate handle by, so a handle names one record.
    // Dictionaries keep their entries in the file's records (see AcDbImpDatabase::childrenOf).

    // Tables and their records.
    for (const auto& table : doc.tables()) {
        AcDbStub* pTable = table.begin != vrk::dxf::kNoRecord ? stubOfRecord(table.begin) : nullptr;
        if (pTable == nullptr) continue;
        AcDbStubContents& contents = pTable->ensureContents();
        contents.children.reserve(table.end - table.begin);
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
    for (const auto& layer : doc.layers()) {
        AcDbStub* pLayer = stubOfRecord(layer.record);
        if (pLayer == nullptr) continue;
        pLayer->off = layer.off();
        pLayer->frozen = layer.frozen();
        pLayer->locked = layer.locked();
        if (pLayer->locked) db.someLayerLocked = true;
        objects.addLayer(layer.name, pLayer);
    }

    // Block definitions: their entities are the drawing's own list of them, kept as long as the drawing.
    for (size_t slot = 0; slot < doc.blockRecords().size(); ++slot) {
        const auto& info = doc.blockRecords()[slot];
        AcDbStub* pBlock = stubOfRecord(info.record);
        if (pBlock == nullptr) continue;
        AcDbStubContents& contents = pBlock->ensureContents();
        contents.hasLayout = hasLayout(doc, info.record, contents.name);
        const vrk::dxf::IndexSpan entities = doc.blockEntities(slot);
        contents.fileRecords = entities.first;
        contents.fileRecordCount = entities.count;
    }

    // The named object dictionary: the first dictionary of OBJECTS, which nothing owns.
    if (const auto* pSection = doc.section(vrk::dxf::SectionId::Objects)) {
        for (RecordIndex i = pSection->begin; i < pSection->end; ++i)
            if (stubOfRecord(i) != nullptr && doc.isDictionary(i)) {
                db.namedObjects = stubOfRecord(i);
                break;
            }
    }
    return true;
}

}  // namespace vrk::emu
