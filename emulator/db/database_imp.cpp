#include "emulator/db/database_imp.h"

#include "emulator/db/open.h"
#include "emulator/host.h"
#include "emulator/rx/class_registry.h"
#include "emulator/text.h"
#include "emulator/calls/host_calls.h"

AcDbImpDatabase::AcDbImpDatabase(AcDbDatabase* pApi) : mpApi(pApi) {}

AcDbImpDatabase::~AcDbImpDatabase() { clear(); }

AcDbImpDatabase* AcDbImpDatabase::of(const AcDbDatabase* pDb) { return pDb ? AcDbDatabaseAccess::imp(pDb) : nullptr; }

AcDbStub* AcDbImpDatabase::newStub(AcRxClass* pClass, AcDbStub* pOwner, std::uint64_t handle) {
    if (handle == 0) handle = mHandseed;
    AcDbStub& stub = mOwnStubs.add(this);
    stub.mObject = true;
    AcDbStubMore& extra = more(&stub);
    extra.cls = pClass;
    extra.handle = handle;
    extra.owner = pOwner;
    extra.ownerSet = true;
    if (handle >= mHandseed) mHandseed = handle + 1;
    return &stub;
}

void AcDbImpDatabase::makeFileStubs(std::size_t records, std::unique_ptr<vrk::emu::FileObjects> pAnswers) {
    mFileStubs.allocate(this, records, 0);
    mpFileObjects = std::move(pAnswers);
}

AcDbStubMore& AcDbImpDatabase::more(AcDbStub* pStub) {
    pStub->mHasMore = true;
    return mMore[pStub];
}

const AcDbStubMore* AcDbImpDatabase::moreOf(const AcDbStub* pStub) const {
    if (!pStub->mHasMore) return nullptr;
    auto it = mMore.find(pStub);
    return it != mMore.end() ? &it->second : nullptr;
}

AcDbStubMore* AcDbImpDatabase::moreOf(const AcDbStub* pStub) {
    return const_cast<AcDbStubMore*>(static_cast<const AcDbImpDatabase*>(this)->moreOf(pStub));
}

AcDbStubContents& AcDbImpDatabase::contents(AcDbStub* pStub) {
    pStub->mHasContents = true;
    return mContents[pStub];
}

AcDbStubContents* AcDbImpDatabase::contentsOf(const AcDbStub* pStub) {
    if (!pStub->mHasContents) return nullptr;
    auto it = mContents.find(pStub);
    return it != mContents.end() ? &it->second : nullptr;
}

void AcDbImpDatabase::clear() {
    vrk::emu::HostCalls& calls = vrk::emu::HostCalls::instance();
    forEachStub([&](AcDbStub& stub) {
        if (stub.hasFacade) {
            // Left open by someone: the accounting keeps counting it so that the leak is seen.
            vrk::emu::discardFacade(&stub);
            calls.forgetOpenObject(&stub);
        }
    });
    mMore.clear();
    mContents.clear();
    mOwnStubs.clear();
    mFileStubs.clear();
    mpFileObjects.reset();
    blockTable = layerTable = namedObjects = currentLayer = nullptr;
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
        pRecord->contents()->hasLayout = true;
        blockTable->ensureContents().children.push_back(pRecord);
    }
    AcDbStub* pLayer = newStub(findClass("AcDbLayerTableRecord"), layerTable, 0x10);
    pLayer->ensureContents().name = "0";
    layerTable->ensureContents().children.push_back(pLayer);
    currentLayer = pLayer;
}

// What the database keeps aside for the stub, or what the stub's record answers.
std::uint64_t AcDbStub::handle() const {
    const AcDbImpDatabase* pDb = database();
    if (pDb == nullptr) return 0;
    if (const AcDbStubMore* pMore = pDb->moreOf(this); pMore && pMore->handle != 0) return pMore->handle;
    const std::uint32_t record = sourceRecord();
    return record != UINT32_MAX ? pDb->fileObjects()->handle(record) : 0;
}

AcRxClass* AcDbStub::cls() const {
    const AcDbImpDatabase* pDb = database();
    if (pDb == nullptr) return nullptr;
    if (const AcDbStubMore* pMore = pDb->moreOf(this); pMore && pMore->cls != nullptr) return pMore->cls;
    const std::uint32_t record = sourceRecord();
    return record != UINT32_MAX ? pDb->fileObjects()->cls(record) : nullptr;
}

namespace {

// The object the plug-in set, kept aside, or else the one the object's record names.
AcDbStub* setOrRead(const AcDbStub* pStub, AcDbStub* AcDbStubMore::*set, bool AcDbStubMore::*isSet,
                    AcDbStub* (vrk::emu::FileObjects::*read)(std::uint32_t) const) {
    const AcDbImpDatabase* pDb = pStub->database();
    if (pDb == nullptr) return nullptr;
    if (const AcDbStubMore* pMore = pDb->moreOf(pStub); pMore && pMore->*isSet) return pMore->*set;
    const std::uint32_t record = pStub->sourceRecord();
    return record != UINT32_MAX ? (pDb->fileObjects()->*read)(record) : nullptr;
}

}  // namespace

AcDbStub* AcDbStub::owner() const {
    return setOrRead(this, &AcDbStubMore::owner, &AcDbStubMore::ownerSet, &vrk::emu::FileObjects::owner);
}

AcDbStub* AcDbStub::extDict() const {
    return setOrRead(this, &AcDbStubMore::extDict, &AcDbStubMore::extDictSet, &vrk::emu::FileObjects::extDict);
}

void AcDbStub::setExtDict(AcDbStub* pDict) {
    AcDbStubMore& extra = database()->more(this);
    extra.extDict = pDict;
    extra.extDictSet = true;
}

AcDbStub* AcDbStub::layer() const {
    return setOrRead(this, &AcDbStubMore::layer, &AcDbStubMore::layerSet, &vrk::emu::FileObjects::layer);
}

void AcDbStub::setLayer(AcDbStub* pLayer) {
    AcDbStubMore& extra = database()->more(this);
    extra.layer = pLayer;
    extra.layerSet = true;
}

bool AcDbStub::invisible() const {
    if (mInvisibleSet) return mInvisible;
    const AcDbImpDatabase* pDb = database();
    const std::uint32_t record = pDb != nullptr ? sourceRecord() : UINT32_MAX;
    return record != UINT32_MAX && pDb->fileObjects()->invisible(record);
}

AcDbStubContents* AcDbStub::contents() const {
    AcDbImpDatabase* pDb = database();
    return pDb != nullptr ? pDb->contentsOf(this) : nullptr;
}

AcDbStubContents& AcDbStub::ensureContents() { return database()->contents(this); }

std::vector<AcDbStub*> AcDbImpDatabase::childrenOf(const AcDbStub* pContainer) const {
    std::vector<AcDbStub*> entries;
    if (const AcDbStubContents* pContents = pContainer->contents()) {
        entries.reserve(pContents->fileRecordCount + pContents->children.size());
        for (std::size_t i = 0; i < pContents->fileRecordCount; ++i)
            if (AcDbStub* pEntity = stubOfRecord(pContents->fileRecords[i])) entries.push_back(pEntity);
        entries.insert(entries.end(), pContents->children.begin(), pContents->children.end());
        return entries;
    }
    // Dictionaries read from a drawing list their entries in the file's record.
    const std::uint32_t record = pContainer->sourceRecord();
    if (!source || record == UINT32_MAX) return entries;
    for (const vrk::emu::SourceEntry& entry : source->dictionaryEntries(record)) {
        AcDbStub* pEntry = entry.record != UINT32_MAX ? stubOfRecord(entry.record) : nullptr;
        if (pEntry != nullptr) entries.push_back(pEntry);
    }
    return entries;
}

namespace vrk::emu {

namespace {
const RecordSource* sourceOf(const AcDbStub* pStub) {
    if (pStub == nullptr || pStub->sourceRecord() == UINT32_MAX) return nullptr;
    return pStub->database()->source.get();
}
}  // namespace

std::string sourceText(const AcDbStub* pStub, int code) {
    const RecordSource* pSource = sourceOf(pStub);
    return pSource ? pSource->text(pStub->sourceRecord(), code) : std::string();
}

int sourceInt(const AcDbStub* pStub, int code, int fallback) {
    const RecordSource* pSource = sourceOf(pStub);
    long long value = 0;
    if (pSource == nullptr || !pSource->integer(pStub->sourceRecord(), code, value)) return fallback;
    return static_cast<int>(value);
}

std::vector<SourceEntry> sourceDictionaryEntries(const AcDbStub* pStub) {
    const RecordSource* pSource = sourceOf(pStub);
    return pSource ? pSource->dictionaryEntries(pStub->sourceRecord()) : std::vector<SourceEntry>();
}

AcDbStub* tableRecordNamed(const AcDbStub* pTable, const std::string& foldedName, bool includeErased) {
    const AcDbStubContents* pTableContents = pTable->contents();
    if (pTableContents == nullptr) return nullptr;
    for (AcDbStub* pRecord : pTableContents->children) {
        if (!includeErased && pRecord->erased) continue;
        const AcDbStubContents* pContents = pRecord->contents();
        if (pContents != nullptr && foldCase(pContents->name) == foldedName) return pRecord;
    }
    return nullptr;
}

unsigned long long modificationCount(const AcDbDatabase* pDb) {
    const AcDbImpDatabase* pImp = pDb != nullptr ? AcDbImpDatabase::of(pDb) : nullptr;
    return pImp != nullptr ? pImp->modifications : 0;
}

}  // namespace vrk::emu
