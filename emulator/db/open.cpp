#include "emulator/db/open.h"

#include <unordered_map>

#include "emulator/db/database_imp.h"
#include "emulator/db/facades.h"
#include "emulator/rx/class_registry.h"
#include "emulator/calls/host_calls.h"

namespace vrk::emu {

namespace {

std::unordered_map<const AcDbStub*, AcDbObject*>& facades() {
    static std::unordered_map<const AcDbStub*, AcDbObject*> open;
    return open;
}

bool onLockedLayer(const AcDbStub* pStub, const AcRxClass* pClass) {
    // Most drawings lock no layer: then no entity needs its layer looked up.
    if (!pStub->database()->someLayerLocked) return false;
    const Facade facade = facadeOf(pClass);
    const bool isEntity = facade == Facade::Entity || facade == Facade::BlockReference ||
                          facade == Facade::MInsertBlock || facade == Facade::Table;
    if (!isEntity) return false;
    const AcDbStub* pLayer = pStub->layer();
    return pLayer != nullptr && pLayer->locked;
}

}  // namespace

Acad::ErrorStatus openStub(AcDbStub* pStub, AcDb::OpenMode mode, bool openErased, const AcRxClass* pClass,
                           AcDbObject*& pObj) {
    pObj = nullptr;
    if (pStub == nullptr) return Acad::eNullObjectId;
    if (pStub->database() == nullptr) return Acad::eNotInDatabase;
    if (pStub->erased && !openErased) return Acad::eWasErased;
    AcRxClass* pStubClass = pStub->cls();
    if (pClass != nullptr && (pStubClass == nullptr || !pStubClass->isDerivedFrom(pClass)))
        return Acad::eNotThatKindOfClass;
    switch (mode) {
        case AcDb::kForRead:
            if (pStub->writer) return Acad::eWasOpenForWrite;
            ++pStub->readers;
            break;
        case AcDb::kForWrite:
            if (pStub->writer) return Acad::eWasOpenForWrite;
            if (pStub->readers > 0) return Acad::eWasOpenForRead;
            if (pStub->notifiers > 0) return Acad::eWasOpenForNotify;
            if (onLockedLayer(pStub, pStubClass)) return Acad::eOnLockedLayer;
            pStub->writer = true;
            ++pStub->database()->modifications;
            break;
        case AcDb::kForNotify: ++pStub->notifiers; break;
        default: return Acad::eInvalidOpenState;
    }
    if (pStub->hasFacade) {
        pObj = openFacade(pStub);
    } else {
        pObj = createFacade(pStub, pStubClass);
        facades().emplace(pStub, pObj);
        pStub->hasFacade = true;
    }
    HostCalls::instance().objectOpened(pStub, pStub->handle());
    return Acad::eOk;
}

void closeStub(AcDbStub* pStub) {
    if (pStub->writer) pStub->writer = false;
    else if (pStub->readers > 0) --pStub->readers;
    else if (pStub->notifiers > 0) --pStub->notifiers;
    else return;
    HostCalls::instance().objectClosed(pStub);
    if (!pStub->isOpen()) discardFacade(pStub);
}

AcDbObject* openFacade(const AcDbStub* pStub) {
    if (!pStub->hasFacade) return nullptr;
    auto it = facades().find(pStub);
    return it == facades().end() ? nullptr : it->second;
}

void discardFacade(AcDbStub* pStub) {
    if (!pStub->hasFacade) return;
    auto it = facades().find(pStub);
    if (it != facades().end()) {
        destroyFacade(it->second);
        facades().erase(it);
    }
    pStub->hasFacade = false;
}

bool checkWrite(const AcDbObject* pObj, const char* op) {
    const AcDbStub* pStub = stubOf(pObj);
    if (pStub != nullptr && pStub->writer) return true;
    HostCalls::instance().writeWithoutWriteAccess(op);
    return false;
}

void eraseTree(AcDbStub* pStub, bool erasing) {
    pStub->erased = erasing;
    if (!erasing) return;
    AcDbStub* pDict = pStub->extDict();
    if (pDict != nullptr && !pDict->erased) eraseTree(pDict, true);
    for (AcDbStub* pChild : pStub->database()->childrenOf(pStub))
        if (pChild->owner() == pStub && !pChild->erased) eraseTree(pChild, true);
}

}  // namespace vrk::emu
