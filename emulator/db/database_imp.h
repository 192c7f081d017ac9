// The emulated drawing database behind AcDbDatabase.
#pragma once

#include <cstdint>
#include <deque>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "emulator/db/record_source.h"
#include "emulator/db/stub.h"
#include "arx/dbdatabase.h"

class AcDbImpDatabase {
public:
    explicit AcDbImpDatabase(AcDbDatabase* pApi);
    ~AcDbImpDatabase();

    static AcDbImpDatabase* of(const AcDbDatabase* pDb);
    AcDbDatabase* api() const { return mpApi; }

    // Adds an object of class pClass owned by pOwner; handle 0 takes the next free handle.  An object
    // read from the drawing file names its record, which holds its handle.
    AcDbStub* newStub(AcRxClass* pClass, AcDbStub* pOwner, std::uint64_t handle = 0,
                      std::uint32_t sourceRecord = UINT32_MAX);
    // Handle of the next object that the database creates; above every handle in use.
    std::uint64_t handseed() const { return mHandseed; }
    size_t objectCount() const { return mStubs.size(); }
    template <class F>
    void forEachStub(F&& f) {
        for (AcDbStub& stub : mStubs) f(stub);
    }

    // The objects of a new drawing: block table with model and paper space, layer table with
    // layer 0, named object dictionary.
    void buildDefaultDrawing();
    // Forgets every object (a read replaces what a database held).
    void clear();

    AcDbStub* blockTable = nullptr;
    AcDbStub* layerTable = nullptr;
    AcDbStub* namedObjects = nullptr;
    AcDbStub* currentLayer = nullptr;  // $CLAYER: the host refuses to freeze it
    bool undoRecording = true;
    // Counts the opens for write: like the host's DBMOD, an object opened for write counts as changed.
    std::uint64_t modifications = 0;

    // The records of the file the drawing was read from (kept by the drawing-file code, which also
    // saves from them without loss); nullptr for a drawing made in memory.
    std::shared_ptr<vrk::emu::RecordSource> source;
    // The object read from a record of the drawing file, or nullptr for records that are no object.
    // Objects are made in the order of their records, so no table of its own is needed.
    AcDbStub* stubOfRecord(std::uint32_t record) const;
    // Handles of the objects that were not read from the drawing file.
    std::unordered_map<const AcDbStub*, std::uint64_t> ownHandles;

    // The entries of a dictionary, the records of a table, the entities of a block definition.
    std::vector<AcDbStub*> childrenOf(const AcDbStub* pContainer) const;

private:
    AcDbDatabase* mpApi;
    std::deque<AcDbStub> mStubs;
    std::uint64_t mHandseed = 1;
    size_t mFileStubs = 0;  // the first objects, read from the drawing file in record order
    mutable size_t mLastLookup = 0;
};

class AcDbDatabaseAccess {
public:
    static AcDbImpDatabase* imp(const AcDbDatabase* pDb) { return pDb->mpImp; }
};
