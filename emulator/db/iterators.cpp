// Iterators over symbol tables and block definitions.
#include "emulator/db/iterator_imp.h"

#include "emulator/db/open.h"
#include "emulator/db/call_log.h"
#include "arx/dbsymtb.h"

using vrk::emu::enterCall;
using vrk::emu::HostCalls;
using vrk::emu::noteCall;

void AcDbImpIterator::start(bool atBeginning, bool skipDeleted) {
    mPos = atBeginning ? 0 : count() - 1;
    skip(atBeginning, skipDeleted);
}

template <class T>
T* AcDbIteratorAccess::create(const AcDbStub* pContainer, bool atBeginning, bool skipDeleted) {
    T* pIterator = new T();
    pIterator->mpImp = new AcDbImpIterator(pContainer);
    pIterator->mpImp->start(atBeginning, skipDeleted);
    HostCalls::instance().iteratorCreated();
    return pIterator;
}

template AcDbBlockTableIterator* AcDbIteratorAccess::create<AcDbBlockTableIterator>(const AcDbStub*, bool, bool);
template AcDbLayerTableIterator* AcDbIteratorAccess::create<AcDbLayerTableIterator>(const AcDbStub*, bool, bool);
template AcDbSymbolTableIterator* AcDbIteratorAccess::create<AcDbSymbolTableIterator>(const AcDbStub*, bool, bool);
template AcDbBlockTableRecordIterator* AcDbIteratorAccess::create<AcDbBlockTableRecordIterator>(const AcDbStub*, bool,
                                                                                                bool);

AcDbSymbolTableIterator::AcDbSymbolTableIterator() : mpImp(nullptr) {}
AcDbSymbolTableIterator::~AcDbSymbolTableIterator() {
    delete mpImp;
    HostCalls::instance().iteratorDeleted();
}
void AcDbSymbolTableIterator::start(bool atBeginning, bool skipDeleted) {
    noteCall("AcDbSymbolTableIterator::start", mpImp->container());
    mpImp->start(atBeginning, skipDeleted);
}
bool AcDbSymbolTableIterator::done() const {
    noteCall("AcDbSymbolTableIterator::done", mpImp->container());
    return mpImp->done();
}
void AcDbSymbolTableIterator::step(bool forward, bool skipDeleted) {
    noteCall("AcDbSymbolTableIterator::step", mpImp->container());
    mpImp->step(forward, skipDeleted);
}
Acad::ErrorStatus AcDbSymbolTableIterator::getRecordId(AcDbObjectId& id) const {
    if (int es = enterCall("AcDbSymbolTableIterator::getRecordId", mpImp->current())) return Acad::ErrorStatus(es);
    if (mpImp->done()) return Acad::eInvalidIndex;
    id = AcDbObjectId(mpImp->current());
    return Acad::eOk;
}
Acad::ErrorStatus AcDbSymbolTableIterator::getRecord(AcDbSymbolTableRecord*& pRecord, AcDb::OpenMode openMode,
                                                     bool openErasedRec) const {
    pRecord = nullptr;
    if (int es = enterCall("AcDbSymbolTableIterator::getRecord", mpImp->current())) return Acad::ErrorStatus(es);
    if (mpImp->done()) return Acad::eInvalidIndex;
    AcDbObject* pObj = nullptr;
    Acad::ErrorStatus es = vrk::emu::openStub(mpImp->current(), openMode, openErasedRec, nullptr, pObj);
    pRecord = static_cast<AcDbSymbolTableRecord*>(pObj);
    return es;
}

AcDbBlockTableIterator::AcDbBlockTableIterator() {}
Acad::ErrorStatus AcDbBlockTableIterator::getRecord(AcDbBlockTableRecord*& pRecord, AcDb::OpenMode openMode,
                                                    bool openErasedRec) const {
    AcDbSymbolTableRecord* pBase = nullptr;
    Acad::ErrorStatus es = AcDbSymbolTableIterator::getRecord(pBase, openMode, openErasedRec);
    pRecord = static_cast<AcDbBlockTableRecord*>(pBase);
    return es;
}

AcDbLayerTableIterator::AcDbLayerTableIterator() {}
Acad::ErrorStatus AcDbLayerTableIterator::getRecord(AcDbLayerTableRecord*& pRecord, AcDb::OpenMode openMode,
                                                    bool openErasedRec) const {
    AcDbSymbolTableRecord* pBase = nullptr;
    Acad::ErrorStatus es = AcDbSymbolTableIterator::getRecord(pBase, openMode, openErasedRec);
    pRecord = static_cast<AcDbLayerTableRecord*>(pBase);
    return es;
}

AcDbBlockTableRecordIterator::AcDbBlockTableRecordIterator() : mpImp(nullptr) {}
AcDbBlockTableRecordIterator::~AcDbBlockTableRecordIterator() {
    delete mpImp;
    HostCalls::instance().iteratorDeleted();
}
void AcDbBlockTableRecordIterator::start(bool atBeginning, bool skipDeleted) {
    noteCall("AcDbBlockTableRecordIterator::start", mpImp->container());
    mpImp->start(atBeginning, skipDeleted);
}
bool AcDbBlockTableRecordIterator::done() const {
    noteCall("AcDbBlockTableRecordIterator::done", mpImp->container());
    return mpImp->done();
}
void AcDbBlockTableRecordIterator::step(bool forward, bool skipDeleted) {
    noteCall("AcDbBlockTableRecordIterator::step", mpImp->container());
    mpImp->step(forward, skipDeleted);
}
Acad::ErrorStatus AcDbBlockTableRecordIterator::getEntityId(AcDbObjectId& entityId) const {
    if (int es = enterCall("AcDbBlockTableRecordIterator::getEntityId", mpImp->current())) return Acad::ErrorStatus(es);
    if (mpImp->done()) return Acad::eInvalidIndex;
    entityId = AcDbObjectId(mpImp->current());
    return Acad::eOk;
}
Acad::ErrorStatus AcDbBlockTableRecordIterator::getEntity(AcDbEntity*& pEntity, AcDb::OpenMode openMode,
                                                          bool openErasedEntity) const {
    pEntity = nullptr;
    if (int es = enterCall("AcDbBlockTableRecordIterator::getEntity", mpImp->current())) return Acad::ErrorStatus(es);
    if (mpImp->done()) return Acad::eInvalidIndex;
    AcDbObject* pObj = nullptr;
    Acad::ErrorStatus es = vrk::emu::openStub(mpImp->current(), openMode, openErasedEntity, AcDbEntity::desc(), pObj);
    pEntity = static_cast<AcDbEntity*>(pObj);
    return es;
}
