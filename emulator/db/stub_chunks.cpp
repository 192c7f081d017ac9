#include "emulator/db/stub_chunks.h"

#include <cstdlib>
#include <new>

// Zeroed memory from calloc: the pages of a large allocation come from the system untouched, and a
// zero stub is a valid one.
void AcDbStubChunks::newChunks(AcDbImpDatabase* pDb, std::size_t chunks, std::uint32_t firstRecord) {
    void* pMemory = std::calloc(chunks + 1, kStubChunkBytes);
    if (pMemory == nullptr) throw std::bad_alloc();
    mAllocations.push_back(pMemory);
    const std::uintptr_t first =
        (reinterpret_cast<std::uintptr_t>(pMemory) + kStubChunkBytes - 1) & ~std::uintptr_t(kStubChunkBytes - 1);
    for (std::size_t c = 0; c < chunks; ++c) {
        auto* pHeader = reinterpret_cast<AcDbStubChunk*>(first + c * kStubChunkBytes);
        pHeader->database = pDb;
        pHeader->firstRecord =
            firstRecord == UINT32_MAX ? UINT32_MAX : static_cast<std::uint32_t>(firstRecord + c * kStubsPerChunk);
        mChunks.push_back(first + c * kStubChunkBytes);
    }
}

void AcDbStubChunks::allocate(AcDbImpDatabase* pDb, std::size_t count, std::uint32_t firstRecord) {
    clear();
    if (count == 0) return;
    newChunks(pDb, (count + kStubsPerChunk - 1) / kStubsPerChunk, firstRecord);
    mCount = count;
}

AcDbStub& AcDbStubChunks::add(AcDbImpDatabase* pDb) {
    if (mCount == mChunks.size() * kStubsPerChunk) newChunks(pDb, 1, UINT32_MAX);
    return (*this)[mCount++];
}

void AcDbStubChunks::clear() {
    for (void* pMemory : mAllocations) std::free(pMemory);
    mAllocations.clear();
    mChunks.clear();
    mCount = 0;
}
