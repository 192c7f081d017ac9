// The emulated drawing database behind AcDbDatabase.
#pragma once

#include <cstdint>
#include <deque>
#include <memory>
#include <string>
#include <string_view>

#include "emulator/db/stub.h"
#include "frame/host/dbdatabase.h"

class AcDbImpDatabase {
public:
    explicit AcDbImpDatabase(AcDbDatabase* pApi);
    ~AcDbImpDatabase();

    static AcDbImpDatabase* of(const AcDbDatabase* pDb);
    AcDbDatabase* api() const { return mpApi; }

    // Adds an object of class pClass owned by pOwner; handle 0 takes the next free handle.
    AcDbStub* newStub(AcRxClass* pClass, AcDbStub* pOwner, std::uint64_t handle = 0);
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
    bool undoRecording = true;

    // What the drawing-file reader keeps of the file it read, for a lossless save.
    struct SourceDrawing;
    std::shared_ptr<SourceDrawing> source;

private:
    AcDbDatabase* mpApi;
    std::deque<AcDbStub> mStubs;
    std::uint64_t mHandseed = 1;
};

class AcDbDatabaseAccess {
public:
    static AcDbImpDatabase* imp(const AcDbDatabase* pDb) { return pDb->mpImp; }
};
