#include "emulator/db/database_imp.h"

#include <algorithm>

#include "emulator/db/open.h"
#include "emulator/host.h"
#include "emulator/rx/class_registry.h"
#include "emulator/calls/host_calls.h"

AcDbImpDatabase::AcDbImpDatabase(AcDbDatabase* pApi) : mpApi(pApi) {}

AcDbImpDatabase::~AcDbImpDatabase() { clear(); }

AcDbImpDatabase* AcDbImpDatabase::of(const AcDbDatabase* pDb) { return pDb ? AcDbDatabaseAccess::imp(pDb) : nullptr; }

AcDbStub* AcDbImpDatabase::newStub(AcRxClass* pClass, AcDbStub* pOwner, std::uint64_t handle,
                                   std::uint32_t sourceRecord) {
    if (handle == 0) handle = mHandseed;
    AcDbStub& stub = mStubs.emplace_back();
    stub.database = this;
    stub.cls = pClass;
    stub.owner = pOwner;
    stub.sourceRecord = sourceRecord;
    if (sourceRecord == UINT32_MAX) ownHandles[&stub] = handle;
    else mFileStubs = mStubs.size();
    if (handle >= mHandseed) mHandseed = handle + 1;
    return &stub;
}

void AcDbImpDatabase::clear() {
    vrk::emu::HostCalls& calls = vrk::emu::HostCalls::instance();
    for (AcDbStub& stub : mStubs) {
        if (stub.hasFacade) {
            // Left open by someone: the accounting keeps counting it so that the leak is seen.
            vrk::emu::discardFacade(&stub);
            calls.forgetOpenObject(&stub);
        }
    }
    mStubs.clear();
    mFileStubs = 0;
    mLastLookup = 0;
    ownHandles.clear();
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
        pRecord->contents->hasLayout = true;
        blockTable->ensureContents().children.push_back(pRecord);
    }
    AcDbStub* pLayer = newStub(findClass("AcDbLayerTableRecord"), layerTable, 0x10);
    pLayer->ensureContents().name = "0";
    layerTable->ensureContents().children.push_back(pLayer);
    currentLayer = pLayer;
}

std::uint64_t AcDbStub::handle() const {
    if (database == nullptr) return 0;
    if (sourceRecord != UINT32_MAX) return database->source->handle(sourceRecord);
    auto it = database->ownHandles.find(this);
    return it == database->ownHandles.end() ? 0 : it->second;
}

AcDbStub* AcDbImpDatabase::stubOfRecord(std::uint32_t record) const {
    // Walks over a block's entities ask for records in rising order: look just past the last answer
    // before searching.
    for (size_t i = mLastLookup, end = std::min(mFileStubs, mLastLookup + 4); i < end; ++i) {
        if (mStubs[i].sourceRecord > record) break;
        if (mStubs[i].sourceRecord == record) {
            mLastLookup = i;
            return const_cast<AcDbStub*>(&mStubs[i]);
        }
    }
    size_t lo = 0;
    size_t hi = mFileStubs;
    while (lo < hi) {
        const size_t mid = (lo + hi) / 2;
        if (mStubs[mid].sourceRecord < record) lo = mid + 1;
        else hi = mid;
    }
    if (lo < mFileStubs && mStubs[lo].sourceRecord == record) {
        mLastLookup = lo;
        return const_cast<AcDbStub*>(&mStubs[lo]);
    }
    return nullptr;
}

std::vector<AcDbStub*> AcDbImpDatabase::childrenOf(const AcDbStub* pContainer) const {
    if (pContainer->contents) return pContainer->contents->children;
    std::vector<AcDbStub*> entries;
    // Dictionaries read from a drawing list their entries in the file's record.
    if (!source || pContainer->sourceRecord == UINT32_MAX) return entries;
    for (const vrk::emu::SourceEntry& entry : source->dictionaryEntries(pContainer->sourceRecord)) {
        AcDbStub* pEntry = entry.record != UINT32_MAX ? stubOfRecord(entry.record) : nullptr;
        if (pEntry != nullptr) entries.push_back(pEntry);
    }
    return entries;
}

namespace vrk::emu {

namespace {
const RecordSource* sourceOf(const AcDbStub* pStub) {
    if (pStub == nullptr || pStub->sourceRecord == UINT32_MAX || pStub->database == nullptr) return nullptr;
    return pStub->database->source.get();
}
}  // namespace

std::string sourceText(const AcDbStub* pStub, int code) {
    const RecordSource* pSource = sourceOf(pStub);
    return pSource ? pSource->text(pStub->sourceRecord, code) : std::string();
}

int sourceInt(const AcDbStub* pStub, int code, int fallback) {
    const RecordSource* pSource = sourceOf(pStub);
    long long value = 0;
    if (pSource == nullptr || !pSource->integer(pStub->sourceRecord, code, value)) return fallback;
    return static_cast<int>(value);
}

std::vector<SourceEntry> sourceDictionaryEntries(const AcDbStub* pStub) {
    const RecordSource* pSource = sourceOf(pStub);
    return pSource ? pSource->dictionaryEntries(pStub->sourceRecord) : std::vector<SourceEntry>();
}

unsigned long long modificationCount(const AcDbDatabase* pDb) {
    const AcDbImpDatabase* pImp = pDb != nullptr ? AcDbImpDatabase::of(pDb) : nullptr;
    return pImp != nullptr ? pImp->modifications : 0;
}

}  // namespace vrk::emu
