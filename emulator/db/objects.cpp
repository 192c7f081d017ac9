// Database objects, entities and dictionaries.
#include "emulator/db/database_imp.h"
#include "emulator/db/open.h"
#include "emulator/rx/class_registry.h"
#include "emulator/db/call_log.h"
#include "emulator/text.h"

using vrk::emu::enterCall;
using vrk::emu::noteCall;
using vrk::emu::stubOf;

VRK_DEFINE_DESC(AcDbObject)
VRK_DEFINE_DESC(AcDbEntity)
VRK_DEFINE_DESC(AcDbBlockReference)
VRK_DEFINE_DESC(AcDbMInsertBlock)
VRK_DEFINE_DESC(AcDbTable)
VRK_DEFINE_DESC(AcDbDictionary)

const AcDbObjectId AcDbObjectId::kNull;

bool AcDbObjectId::isValid() const { return mId != nullptr && mId->database() != nullptr; }
bool AcDbObjectId::isErased() const { return mId != nullptr && mId->erased; }
AcDbDatabase* AcDbObjectId::database() const { return mId && mId->database() ? mId->database()->api() : nullptr; }
Adesk::UInt64 AcDbObjectId::handle() const { return mId ? mId->handle() : 0; }

AcDbObject::AcDbObject() : mpStub(nullptr) {}
AcDbObject::~AcDbObject() {}
AcRxClass* AcDbObject::isA() const {
    AcRxClass* pClass = mpStub != nullptr ? mpStub->cls() : nullptr;
    return pClass != nullptr ? pClass : AcDbObject::desc();
}
AcDbObjectId AcDbObject::objectId() const {
    noteCall("AcDbObject::objectId", mpStub);
    return AcDbObjectId(mpStub);
}
AcDbObjectId AcDbObject::ownerId() const { return AcDbObjectId(mpStub->owner()); }
AcDbDatabase* AcDbObject::database() const { return mpStub->database() ? mpStub->database()->api() : nullptr; }

AcDbObjectId AcDbObject::extensionDictionary() const {
    noteCall("AcDbObject::extensionDictionary", mpStub);
    return AcDbObjectId(mpStub->extDict());
}

Acad::ErrorStatus AcDbObject::createExtensionDictionary() {
    if (int es = enterCall("AcDbObject::createExtensionDictionary", mpStub)) return Acad::ErrorStatus(es);
    if (!vrk::emu::checkWrite(this, "AcDbObject::createExtensionDictionary")) return Acad::eNotOpenForWrite;
    const AcDbStub* pDict = mpStub->extDict();
    if (pDict != nullptr && !pDict->erased) return Acad::eAlreadyInDb;
    mpStub->setExtDict(mpStub->database()->newStub(AcDbDictionary::desc(), mpStub));
    return Acad::eOk;
}

Acad::ErrorStatus AcDbObject::releaseExtensionDictionary() {
    if (int es = enterCall("AcDbObject::releaseExtensionDictionary", mpStub)) return Acad::ErrorStatus(es);
    if (!vrk::emu::checkWrite(this, "AcDbObject::releaseExtensionDictionary")) return Acad::eNotOpenForWrite;
    AcDbStub* pDict = mpStub->extDict();
    if (pDict == nullptr) return Acad::eOk;
    if (!pDict->erased) {
        for (const AcDbStub* pEntry : pDict->database()->childrenOf(pDict))
            if (!pEntry->erased) return Acad::eContainerNotEmpty;
        // An empty dictionary goes with the release.
        if (pDict->isOpen()) return Acad::eWasOpenForWrite;
        pDict->erased = true;
    }
    mpStub->setExtDict(nullptr);
    return Acad::eOk;
}

Acad::ErrorStatus AcDbObject::erase(bool erasing) {
    if (int es = enterCall("AcDbObject::erase", mpStub)) return Acad::ErrorStatus(es);
    if (!vrk::emu::checkWrite(this, "AcDbObject::erase")) return Acad::eNotOpenForWrite;
    if (erasing == mpStub->erased) return erasing ? Acad::eWasErased : Acad::eOk;
    vrk::emu::eraseTree(mpStub, erasing);
    return Acad::eOk;
}

bool AcDbObject::isErased() const { return mpStub->erased; }
bool AcDbObject::isReadEnabled() const { return mpStub->readers > 0 || mpStub->writer; }
bool AcDbObject::isWriteEnabled() const { return mpStub->writer; }
bool AcDbObject::isNotifyEnabled() const { return mpStub->notifiers > 0; }

Acad::ErrorStatus AcDbObject::close() {
    // A failure reported by close still gives the object back, as the host does.
    const int es = enterCall("AcDbObject::close", mpStub);
    vrk::emu::closeStub(mpStub);
    return Acad::ErrorStatus(es);
}

AcDbEntity::AcDbEntity() {}
AcDbObjectId AcDbEntity::blockId() const { return AcDbObjectId(stubOf(this)->owner()); }
AcDbObjectId AcDbEntity::layerId() const {
    noteCall("AcDbEntity::layerId", stubOf(this));
    return AcDbObjectId(stubOf(this)->layer());
}
Acad::ErrorStatus AcDbEntity::setLayer(AcDbObjectId newVal) {
    if (int es = enterCall("AcDbEntity::setLayer", stubOf(this))) return Acad::ErrorStatus(es);
    if (!vrk::emu::checkWrite(this, "AcDbEntity::setLayer")) return Acad::eNotOpenForWrite;
    stubOf(this)->setLayer(stubOf(newVal));
    return Acad::eOk;
}
AcDb::Visibility AcDbEntity::visibility() const {
    noteCall("AcDbEntity::visibility", stubOf(this));
    return stubOf(this)->invisible() ? AcDb::kInvisible : AcDb::kVisible;
}
Acad::ErrorStatus AcDbEntity::setVisibility(AcDb::Visibility newVal) {
    if (int es = enterCall("AcDbEntity::setVisibility", stubOf(this))) return Acad::ErrorStatus(es);
    if (!vrk::emu::checkWrite(this, "AcDbEntity::setVisibility")) return Acad::eNotOpenForWrite;
    stubOf(this)->setInvisible(newVal == AcDb::kInvisible);
    return Acad::eOk;
}

namespace {
const AcDbStubExtra* extraOf(const AcDbStub* pStub) {
    const AcDbStubContents* pContents = pStub->contents();
    return pContents != nullptr ? pContents->extra.get() : nullptr;
}
}  // namespace

AcDbBlockReference::AcDbBlockReference() {}
AcDbObjectId AcDbBlockReference::blockTableRecord() const {
    const AcDbStub* pStub = stubOf(this);
    if (const AcDbStubExtra* pExtra = extraOf(pStub)) return AcDbObjectId(pExtra->blockRecord);
    // Read from a drawing: the reference names its definition.
    const std::string name = vrk::emu::foldCase(vrk::emu::sourceText(pStub, 2));
    const AcDbStub* pTable = pStub->database() ? pStub->database()->blockTable : nullptr;
    if (pTable == nullptr || name.empty()) return AcDbObjectId::kNull;
    return AcDbObjectId(vrk::emu::tableRecordNamed(pTable, name, true));
}
AcDbMInsertBlock::AcDbMInsertBlock() {}

Adesk::UInt16 AcDbMInsertBlock::columns() const {
    const AcDbStubExtra* pExtra = extraOf(stubOf(this));
    return pExtra ? pExtra->columns : static_cast<Adesk::UInt16>(vrk::emu::sourceInt(stubOf(this), 70, 1));
}
Adesk::UInt16 AcDbMInsertBlock::rows() const {
    const AcDbStubExtra* pExtra = extraOf(stubOf(this));
    return pExtra ? pExtra->rows : static_cast<Adesk::UInt16>(vrk::emu::sourceInt(stubOf(this), 71, 1));
}
AcDbTable::AcDbTable() {}

AcDbDictionary::AcDbDictionary() {}

namespace {
const AcDbStub* findEntry(const AcDbStub* pDict, const ACHAR* entryName) {
    if (entryName == nullptr) return nullptr;
    const std::string key = vrk::emu::foldCase(vrk::emu::fromHost(entryName));
    if (const AcDbStubContents* pContents = pDict->contents(); pContents != nullptr && pContents->extra) {
        const AcDbStubContents& contents = *pContents;
        for (size_t i = 0; i < contents.children.size(); ++i)
            if (!contents.children[i]->erased && vrk::emu::foldCase(contents.extra->keys[i]) == key)
                return contents.children[i];
        return nullptr;
    }
    // Read from a drawing: the entry names are in the file's record, which also names each entry's own.
    for (const vrk::emu::SourceEntry& entry : vrk::emu::sourceDictionaryEntries(pDict)) {
        if (entry.record == UINT32_MAX || vrk::emu::foldCase(entry.key) != key) continue;
        const AcDbStub* pEntry = pDict->database()->stubOfRecord(entry.record);
        if (pEntry != nullptr && !pEntry->erased) return pEntry;
    }
    return nullptr;
}
}  // namespace

Adesk::UInt32 AcDbDictionary::numEntries() const {
    const AcDbStub* pStub = stubOf(this);
    noteCall("AcDbDictionary::numEntries", pStub);
    Adesk::UInt32 n = 0;
    for (const AcDbStub* pEntry : pStub->database()->childrenOf(pStub))
        if (!pEntry->erased) ++n;
    return n;
}
bool AcDbDictionary::has(const ACHAR* entryName) const {
    noteCall("AcDbDictionary::has", stubOf(this));
    return findEntry(stubOf(this), entryName) != nullptr;
}
Acad::ErrorStatus AcDbDictionary::getAt(const ACHAR* entryName, AcDbObjectId& entryId) const {
    if (int es = enterCall("AcDbDictionary::getAt", stubOf(this))) return Acad::ErrorStatus(es);
    const AcDbStub* pEntry = findEntry(stubOf(this), entryName);
    if (pEntry == nullptr) return Acad::eKeyNotFound;
    entryId = AcDbObjectId(pEntry);
    return Acad::eOk;
}

Acad::ErrorStatus acdbOpenAcDbObject(AcDbObject*& pObj, AcDbObjectId id, AcDb::OpenMode mode, bool openErased) {
    pObj = nullptr;
    if (int es = enterCall("acdbOpenAcDbObject", stubOf(id))) return Acad::ErrorStatus(es);
    return vrk::emu::openStub(stubOf(id), mode, openErased, nullptr, pObj);
}

Acad::ErrorStatus acdbOpenAcDbObject(AcDbObject*& pObj, AcDbObjectId id, AcDb::OpenMode mode, bool openErased,
                                     const AcRxClass* pClass) {
    pObj = nullptr;
    if (int es = enterCall("acdbOpenAcDbObject", stubOf(id))) return Acad::ErrorStatus(es);
    return vrk::emu::openStub(stubOf(id), mode, openErased, pClass, pObj);
}
