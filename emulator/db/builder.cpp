#include "emulator/db/builder.h"

#include "emulator/db/database_imp.h"
#include "emulator/db/open.h"
#include "emulator/rx/class_registry.h"
#include "emulator/text.h"

namespace vrk::emu {

namespace {
AcDbImpDatabase& imp(AcDbDatabase* pDb) { return *AcDbImpDatabase::of(pDb); }

AcDbStub* addRecord(AcDbImpDatabase& db, AcDbStub* pTable, const char* className, std::string_view name) {
    AcDbStub* pRecord = db.newStub(findClass(className), pTable);
    pRecord->ensureContents().name = std::string(name);
    pTable->ensureContents().children.push_back(pRecord);
    return pRecord;
}
}  // namespace

DrawingBuilder::DrawingBuilder(AcDbDatabase* pDb) : mpDb(pDb) {}

AcDbObjectId DrawingBuilder::recordNamed(AcDbObjectId tableId, std::string_view name) const {
    const AcDbStub* pTable = stubOf(tableId);
    return AcDbObjectId(pTable != nullptr ? tableRecordNamed(pTable, foldCase(name), true) : nullptr);
}

AcDbObjectId DrawingBuilder::modelSpace() const {
    return recordNamed(AcDbObjectId(imp(mpDb).blockTable), "*Model_Space");
}
AcDbObjectId DrawingBuilder::paperSpace() const {
    return recordNamed(AcDbObjectId(imp(mpDb).blockTable), "*Paper_Space");
}
AcDbObjectId DrawingBuilder::layerZero() const { return recordNamed(AcDbObjectId(imp(mpDb).layerTable), "0"); }
AcDbObjectId DrawingBuilder::namedObjects() const { return AcDbObjectId(imp(mpDb).namedObjects); }

AcDbObjectId DrawingBuilder::addLayer(std::string_view name, bool off, bool frozen, bool locked) {
    AcDbStub* pLayer = addRecord(imp(mpDb), imp(mpDb).layerTable, "AcDbLayerTableRecord", name);
    pLayer->off = off;
    pLayer->frozen = frozen;
    pLayer->locked = locked;
    if (locked) imp(mpDb).someLayerLocked = true;
    return AcDbObjectId(pLayer);
}

AcDbObjectId DrawingBuilder::addBlock(std::string_view name) {
    return AcDbObjectId(addRecord(imp(mpDb), imp(mpDb).blockTable, "AcDbBlockTableRecord", name));
}

AcDbObjectId DrawingBuilder::addEntity(AcDbObjectId blockId, AcDbObjectId layerId, bool invisible,
                                       std::string_view className) {
    AcDbStub* pBlock = stubOf(blockId);
    AcDbStub* pEntity = imp(mpDb).newStub(ensureClass(className, findClass("AcDbEntity")), pBlock);
    pEntity->setLayer(layerId.isNull() ? stubOf(layerZero()) : stubOf(layerId));
    pEntity->setInvisible(invisible);
    pBlock->ensureContents().children.push_back(pEntity);
    return AcDbObjectId(pEntity);
}

AcDbObjectId DrawingBuilder::addReference(AcDbObjectId blockId, AcDbObjectId referencedId, std::string_view className) {
    AcDbObjectId id = addEntity(blockId, AcDbObjectId::kNull, false, className);
    stubOf(id)->ensureContents().ensureExtra().blockRecord = stubOf(referencedId);
    return id;
}

AcDbObjectId DrawingBuilder::addExtensionDictionary(AcDbObjectId ownerId) {
    AcDbStub* pOwner = stubOf(ownerId);
    AcDbStub* pDict = pOwner->extDict();
    if (pDict == nullptr) {
        pDict = imp(mpDb).newStub(findClass("AcDbDictionary"), pOwner);
        pOwner->setExtDict(pDict);
    }
    return AcDbObjectId(pDict);
}

AcDbObjectId DrawingBuilder::addDictionaryEntry(AcDbObjectId dictionaryId, std::string_view key,
                                                std::string_view className) {
    AcDbStub* pDict = stubOf(dictionaryId);
    AcDbStub* pEntry = imp(mpDb).newStub(ensureClass(className, findClass("AcDbObject")), pDict);
    AcDbStubContents& contents = pDict->ensureContents();
    contents.children.push_back(pEntry);
    contents.ensureExtra().keys.emplace_back(key);
    return AcDbObjectId(pEntry);
}

void DrawingBuilder::setErased(AcDbObjectId id, bool erased) { stubOf(id)->erased = erased; }

void DrawingBuilder::setExtensionDictionary(AcDbObjectId ownerId, AcDbObjectId dictionaryId) {
    stubOf(ownerId)->setExtDict(stubOf(dictionaryId));
}

void DrawingBuilder::setRecordName(AcDbObjectId recordId, std::string_view name) {
    stubOf(recordId)->ensureContents().name = std::string(name);
}

void DrawingBuilder::setCurrentLayer(AcDbObjectId layerId) {
    AcDbStub* pLayer = stubOf(layerId);
    pLayer->database()->currentLayer = pLayer;
}

}  // namespace vrk::emu
