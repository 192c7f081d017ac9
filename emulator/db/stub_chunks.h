// Where stubs live: chunks of kStubChunkBytes, aligned to their size, each beginning with its header
// (AcDbStubChunk). Stubs never move: an id stays valid for the life of its database.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "emulator/db/stub.h"

class AcDbStubChunks {
public:
    AcDbStubChunks() = default;
    AcDbStubChunks(const AcDbStubChunks&) = delete;
    AcDbStubChunks& operator=(const AcDbStubChunks&) = delete;
    ~AcDbStubChunks() { clear(); }

    // count stubs in one allocation, zero (no object, nothing open), the first for record firstRecord.
    void allocate(AcDbImpDatabase* pDb, std::size_t count, std::uint32_t firstRecord);
    // One more stub, zero, for an object made in the emulator.
    AcDbStub& add(AcDbImpDatabase* pDb);
    AcDbStub& operator[](std::size_t i) const {
        return *reinterpret_cast<AcDbStub*>(mChunks[i / kStubsPerChunk] + kStubChunkHeaderBytes +
                                            (i % kStubsPerChunk) * sizeof(AcDbStub));
    }
    std::size_t size() const { return mCount; }
    void clear();

private:
    static constexpr std::size_t kStubsPerChunk = (kStubChunkBytes - kStubChunkHeaderBytes) / sizeof(AcDbStub);
    void newChunks(AcDbImpDatabase* pDb, std::size_t chunks, std::uint32_t firstRecord);
    std::vector<void*> mAllocations;
    std::vector<std::uintptr_t> mChunks;
    std::size_t mCount = 0;
};
