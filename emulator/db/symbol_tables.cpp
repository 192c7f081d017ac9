// Symbol tables and their records.
#include "emulator/db/database_imp.h"
#include "emulator/db/iterator_imp.h"
#include "emulator/db/open.h"
#include "emulator/rx/class_registry.h"
#include "emulator/db/call_log.h"
#include "emulator/text.h"
#include "arx/aced.h"

using vrk::emu::enterCall;
using vrk::emu::noteCall;
using vrk::emu::stubOf;

VRK_DEFINE_DESC(AcDbSymbolTable)
VRK_DEFINE_DESC(AcDbBlockTable)
VRK_DEFINE_DESC(AcDbLayerTable)
VRK_DEFINE_DESC(AcDbSymbolTableRecord)
VRK_DEFINE_DESC(AcDbBlockTableRecord)
VRK_DEFINE_DESC(AcDbLayerTableRecord)

namespace {

AcDbStub* findRecord(const AcDbStub* pTable, const ACHAR* name, bool includeErased) {
    if (name == nullptr) return nullptr;
    return vrk::emu::tableRecordNamed(pTable, vrk::emu::foldCase(vrk::emu::fromHost(name)), includeErased);
}

template <class T>
Acad::ErrorStatus newTableIterator(const char* op, const AcDbObject* pTable, T*& pIterator, bool atBeginning,
                                   bool skipDeleted) {
    pIterator = nullptr;
    if (int es = enterCall(op, stubOf(pTable))) return Acad::ErrorStatus(es);
    pIterator = AcDbIteratorAccess::create<T>(stubOf(pTable), atBeginning, skipDeleted);
    return Acad::eOk;
}

}  // namespace

AcDbSymbolTable::AcDbSymbolTable() {}
bool AcDbSymbolTable::has(const ACHAR* name) const { return findRecord(stubOf(this), name, false) != nullptr; }
Acad::ErrorStatus AcDbSymbolTable::getAt(const ACHAR* entryName, AcDbObjectId& recordId, bool getErasedRecord) const {
    if (int es = enterCall("AcDbSymbolTable::getAt", stubOf(this))) return Acad::ErrorStatus(es);
    AcDbStub* pRecord = findRecord(stubOf(this), entryName, getErasedRecord);
    if (pRecord == nullptr) return Acad::eKeyNotFound;
    recordId = AcDbObjectId(pRecord);
    return Acad::eOk;
}
Acad::ErrorStatus AcDbSymbolTable::newIterator(AcDbSymbolTableIterator*& pIterator, bool atBeginning,
                                               bool skipDeleted) const {
    return newTableIterator("AcDbSymbolTable::newIterator", this, pIterator, atBeginning, skipDeleted);
}

AcDbBlockTable::AcDbBlockTable() {}
Acad::ErrorStatus AcDbBlockTable::getAt(const ACHAR* entryName, AcDbBlockTableRecord*& pRec, AcDb::OpenMode openMode,
                                        bool openErasedRec) const {
    pRec = nullptr;
    if (int es = enterCall("AcDbBlockTable::getAt", stubOf(this))) return Acad::ErrorStatus(es);
    AcDbStub* pRecord = findRecord(stubOf(this), entryName, openErasedRec);
    if (pRecord == nullptr) return Acad::eKeyNotFound;
    AcDbObject* pObj = nullptr;
    Acad::ErrorStatus es = vrk::emu::openStub(pRecord, openMode, openErasedRec, nullptr, pObj);
    pRec = static_cast<AcDbBlockTableRecord*>(pObj);
    return es;
}
Acad::ErrorStatus AcDbBlockTable::newIterator(AcDbBlockTableIterator*& pIterator, bool atBeginning,
                                              bool skipDeleted) const {
    return newTableIterator("AcDbBlockTable::newIterator", this, pIterator, atBeginning, skipDeleted);
}

AcDbLayerTable::AcDbLayerTable() {}
Acad::ErrorStatus AcDbLayerTable::newIterator(AcDbLayerTableIterator*& pIterator, bool atBeginning,
                                              bool skipDeleted) const {
    return newTableIterator("AcDbLayerTable::newIterator", this, pIterator, atBeginning, skipDeleted);
}

AcDbSymbolTableRecord::AcDbSymbolTableRecord() : mpPresentedName(nullptr) {}
AcDbSymbolTableRecord::~AcDbSymbolTableRecord() { delete[] mpPresentedName; }

namespace {
ACHAR* copyOf(const vrk::emu::HostString& text) {
    ACHAR* pCopy = new ACHAR[text.size() + 1];
    text.copy(pCopy, text.size());
    pCopy[text.size()] = 0;
    return pCopy;
}
const std::string& recordName(const AcDbStub* pStub) {
    static const std::string kEmpty;
    const AcDbStubContents* pContents = pStub->contents();
    return pContents != nullptr ? pContents->name : kEmpty;
}
}  // namespace

Acad::ErrorStatus AcDbSymbolTableRecord::getName(ACHAR*& pName) const {
    pName = nullptr;
    if (int es = enterCall("AcDbSymbolTableRecord::getName", stubOf(this))) return Acad::ErrorStatus(es);
    pName = copyOf(vrk::emu::toHost(recordName(stubOf(this))));
    return Acad::eOk;
}

Acad::ErrorStatus AcDbSymbolTableRecord::getName(const ACHAR*& pName) const {
    pName = nullptr;
    if (int es = enterCall("AcDbSymbolTableRecord::getName", stubOf(this))) return Acad::ErrorStatus(es);
    if (mpPresentedName == nullptr) mpPresentedName = copyOf(vrk::emu::toHost(recordName(stubOf(this))));
    pName = mpPresentedName;
    return Acad::eOk;
}

void acutDelString(ACHAR*& pString) {
    delete[] pString;
    pString = nullptr;
}

AcDbBlockTableRecord::AcDbBlockTableRecord() {}
Acad::ErrorStatus AcDbBlockTableRecord::newIterator(AcDbBlockTableRecordIterator*& pIterator, bool atBeginning,
                                                    bool skipDeleted) const {
    return newTableIterator("AcDbBlockTableRecord::newIterator", this, pIterator, atBeginning, skipDeleted);
}
bool AcDbBlockTableRecord::isLayout() const {
    noteCall("AcDbBlockTableRecord::isLayout", stubOf(this));
    // The host asks whether a layout is linked to the record, not what the record is called.
    const AcDbStubContents* pContents = stubOf(this)->contents();
    return pContents != nullptr && pContents->hasLayout;
}
bool AcDbBlockTableRecord::isAnonymous() const {
    const std::string& name = recordName(stubOf(this));
    return !name.empty() && name[0] == '*';
}

AcDbLayerTableRecord::AcDbLayerTableRecord() {}
bool AcDbLayerTableRecord::isOff() const { return stubOf(this)->off; }
bool AcDbLayerTableRecord::isFrozen() const { return stubOf(this)->frozen; }
bool AcDbLayerTableRecord::isLocked() const { return stubOf(this)->locked; }

void AcDbLayerTableRecord::setIsOff(bool off) {
    noteCall("AcDbLayerTableRecord::setIsOff", stubOf(this));
    if (!vrk::emu::checkWrite(this, "AcDbLayerTableRecord::setIsOff")) return;
    stubOf(this)->off = off;
    stubOf(this)->switchesChanged = true;
}
Acad::ErrorStatus AcDbLayerTableRecord::setIsFrozen(bool frozen) {
    if (int es = enterCall("AcDbLayerTableRecord::setIsFrozen", stubOf(this))) return Acad::ErrorStatus(es);
    if (!vrk::emu::checkWrite(this, "AcDbLayerTableRecord::setIsFrozen")) return Acad::eNotOpenForWrite;
    // The host does not freeze the current layer.
    if (frozen && stubOf(this)->database() != nullptr && stubOf(this)->database()->currentLayer == stubOf(this))
        return Acad::eInvalidInput;
    stubOf(this)->frozen = frozen;
    stubOf(this)->switchesChanged = true;
    return Acad::eOk;
}
void AcDbLayerTableRecord::setIsLocked(bool locked) {
    noteCall("AcDbLayerTableRecord::setIsLocked", stubOf(this));
    if (!vrk::emu::checkWrite(this, "AcDbLayerTableRecord::setIsLocked")) return;
    stubOf(this)->locked = locked;
    if (locked && stubOf(this)->database() != nullptr) stubOf(this)->database()->someLayerLocked = true;
    stubOf(this)->switchesChanged = true;
}
