#include "emulator/db/database_imp.h"

#include "emulator/rx/class_registry.h"
#include "emulator/testing/host_calls.h"

AcDbImpDatabase::AcDbImpDatabase(AcDbDatabase* pApi) : mpApi(pApi) {}

AcDbImpDatabase::~AcDbImpDatabase() { clear(); }

AcDbImpDatabase* AcDbImpDatabase::of(const AcDbDatabase* pDb) {
    return pDb ? AcDbDatabaseAccess::imp(pDb) : nullptr;
}

AcDbStub* AcDbImpDatabase::newStub(AcRxClass* pClass, AcDbStub* pOwner, std::uint64_t handle) {
    if (handle == 0) handle = mHandseed;
    AcDbStub& stub = mStubs.emplace_back();
    stub.database = this;
    stub.cls = pClass;
    stub.handle = handle;
    stub.owner = pOwner;
    if (handle >= mHandseed) mHandseed = handle + 1;
    return &stub;
}

void AcDbImpDatabase::clear() {
    vrk::emu::HostCalls& calls = vrk::emu::HostCalls::instance();
    for (AcDbStub& stub : mStubs) {
        if (stub.facade != nullptr) {
            // Left open by someone: the accounting keeps counting it so that the leak is seen.
            delete static_cast<AcRxObject*>(stub.facade);
            stub.facade = nullptr;
            calls.forgetOpenStub(&stub);
        }
    }
    mStubs.clear();
    blockTable = layerTable = namedObjects = nullptr;
    mHandseed = 1;
    source.reset();
}

void AcDbImpDatabase::buildDefaultDrawing() {
    using vrk::emu::findClass;
    AcRxClass* pDictionary = findClass("AcDbDictionary");
    AcRxClass* pBlockRecord = findClass("AcDbBlockTableRecord");
    blockTable = newStub(findClass("AcDbBlockTable"), nullptr, 1);
    layerTable = newStub(findClass("AcDbLayerTable"), nullptr, 2);
    namedObjects = newStub(pDictionary, nullptr, 0xC);
    const char* blockNames[] = {"*Model_Space", "*Paper_Space"};
    for (const char* name : blockNames) {
        AcDbStub* pRecord = newStub(pBlockRecord, blockTable);
        pRecord->ensureContents().name = name;
        blockTable->ensureContents().children.push_back(pRecord);
    }
    AcDbStub* pLayer = newStub(findClass("AcDbLayerTableRecord"), layerTable, 0x10);
    pLayer->ensureContents().name = "0";
    layerTable->ensureContents().children.push_back(pLayer);
}
