// The emulated drawing database behind AcDbDatabase.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "emulator/db/record_source.h"
#include "emulator/db/stub.h"
#include "emulator/db/stub_chunks.h"
#include "arx/dbdatabase.h"

namespace vrk::emu {
// What the records of a drawing file answer for the objects read from them (see buildDatabase):
// their stubs keep only what the plug-in changed.
class FileObjects {
public:
    virtual ~FileObjects() = default;
    virtual std::uint64_t handle(std::uint32_t record) const = 0;
    virtual AcRxClass* cls(std::uint32_t record) const = 0;
    virtual AcDbStub* owner(std::uint32_t record) const = 0;
    virtual AcDbStub* extDict(std::uint32_t record) const = 0;
    virtual AcDbStub* layer(std::uint32_t record) const = 0;  // entities
    virtual bool invisible(std::uint32_t record) const = 0;   // entities
};
}  // namespace vrk::emu

class AcDbImpDatabase {
public:
    explicit AcDbImpDatabase(AcDbDatabase* pApi);
    ~AcDbImpDatabase();

    static AcDbImpDatabase* of(const AcDbDatabase* pDb);
    AcDbDatabase* api() const { return mpApi; }

    // Adds an object made in the emulator, of class pClass owned by pOwner; handle 0 takes the next
    // free handle.
    AcDbStub* newStub(AcRxClass* pClass, AcDbStub* pOwner, std::uint64_t handle = 0);
    // Reading a drawing: one stub for each of its records, so that a record finds its object by its
    // index; the records' answers for what the stubs leave to them.
    void makeFileStubs(std::size_t records, std::unique_ptr<vrk::emu::FileObjects> pAnswers);
    // Makes the stub of the record an object.
    void makeFileObject(std::uint32_t record, std::uint64_t handle) {
        mFileStubs[record].mObject = true;
        if (handle >= mHandseed) mHandseed = handle + 1;
    }
    const vrk::emu::FileObjects* fileObjects() const { return mpFileObjects.get(); }
    // Handle of the next object that the database creates; above every handle in use.
    std::uint64_t handseed() const { return mHandseed; }
    // Every object: those read from the drawing in the order of their records, then those made here.
    template <class F>
    void forEachStub(F&& f) {
        for (std::size_t i = 0; i < mFileStubs.size(); ++i)
            if (mFileStubs[i].mObject) f(mFileStubs[i]);
        for (std::size_t i = 0; i < mOwnStubs.size(); ++i) f(mOwnStubs[i]);
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
    // Whether a layer may be locked (set on locking one, never cleared): opening an entity for write
    // looks up its layer only then.
    bool someLayerLocked = false;
    // Counts the opens for write: like the host's DBMOD, an object opened for write counts as changed.
    std::uint64_t modifications = 0;

    // The records of the file the drawing was read from (kept by the drawing-file code, which also
    // saves from them without loss); nullptr for a drawing made in memory.
    std::shared_ptr<vrk::emu::RecordSource> source;
    // The object read from a record of the drawing file, or nullptr for records that are no object.
    AcDbStub* stubOfRecord(std::uint32_t record) const {
        return record < mFileStubs.size() && mFileStubs[record].mObject ? &mFileStubs[record] : nullptr;
    }
    // What the database keeps aside for the stub (made on first use); nullptr when it keeps nothing.
    AcDbStubMore& more(AcDbStub* pStub);
    const AcDbStubMore* moreOf(const AcDbStub* pStub) const;
    AcDbStubMore* moreOf(const AcDbStub* pStub);
    // A container's contents (made on first use); nullptr when it has none.
    AcDbStubContents& contents(AcDbStub* pStub);
    AcDbStubContents* contentsOf(const AcDbStub* pStub);

    // The entries of a dictionary, the records of a table, the entities of a block definition.
    std::vector<AcDbStub*> childrenOf(const AcDbStub* pContainer) const;

private:
    AcDbDatabase* mpApi;
    AcDbStubChunks mFileStubs;  // one per record of the drawing read
    std::unique_ptr<vrk::emu::FileObjects> mpFileObjects;
    AcDbStubChunks mOwnStubs;  // objects made in the emulator
    std::unordered_map<const AcDbStub*, AcDbStubMore> mMore;
    std::unordered_map<const AcDbStub*, AcDbStubContents> mContents;
    std::uint64_t mHandseed = 1;
};

namespace vrk::emu {
// The record of the symbol table pTable whose name, case folded (foldCase), is foldedName: the host
// compares symbol names ignoring case. nullptr when there is none.
AcDbStub* tableRecordNamed(const AcDbStub* pTable, const std::string& foldedName, bool includeErased);
}  // namespace vrk::emu

class AcDbDatabaseAccess {
public:
    static AcDbImpDatabase* imp(const AcDbDatabase* pDb) { return pDb->mpImp; }
};
