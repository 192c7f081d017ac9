// The emulated database's record of one object.  Object ids point at stubs; the host class that the
// plug-in sees (the facade) exists only while the object is open.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class AcDbImpDatabase;
class AcDbObject;
class AcRxClass;
class AcDbStub;

// What few objects need: the names of dictionary entries and the definition a reference uses, for
// objects made in the emulator (those read from a drawing find them in the file's records).
struct AcDbStubExtra {
    std::vector<std::string> keys;    // dictionary entry names, parallel to children
    AcDbStub* blockRecord = nullptr;  // block references: the referenced definition
    std::uint16_t columns = 1;        // multiple-insert references
    std::uint16_t rows = 1;
};

// What containers hold: table records, block entities, dictionary entries.
struct AcDbStubContents {
    std::string name;        // symbol-table record name, UTF-8
    bool hasLayout = false;  // block records: a layout is linked to it
    // Block records read from a drawing: their entities' records, in file order (the drawing's own
    // list, which lives as long as the drawing); they come before the children.
    const std::uint32_t* fileRecords = nullptr;
    std::size_t fileRecordCount = 0;
    std::vector<AcDbStub*> children;  // in order of the container
    std::unique_ptr<AcDbStubExtra> extra;

    AcDbStubExtra& ensureExtra() {
        if (!extra) extra = std::make_unique<AcDbStubExtra>();
        return *extra;
    }
};

// What the database keeps aside for the few objects that need more than a stub: those made in the
// emulator, symbol tables, and objects read from a drawing whose owner, extension dictionary or layer
// the plug-in changed. Containers' contents are kept apart (a drawing may have many table records).
struct AcDbStubMore {
    AcRxClass* cls = nullptr;  // when set, in place of the class the record's type gives
    std::uint64_t handle = 0;  // objects made in the emulator
    AcDbStub* owner = nullptr;
    AcDbStub* extDict = nullptr;
    AcDbStub* layer = nullptr;
    bool ownerSet = false;
    bool extDictSet = false;
    bool layerSet = false;
};

// Stubs live in chunks of one size, aligned to it (see AcDbStubChunks), each beginning with this
// header: a stub finds its database and record from its own address instead of storing them.
struct AcDbStubChunk {
    AcDbImpDatabase* database;
    std::uint32_t firstRecord;  // record of the chunk's first stub; UINT32_MAX: objects made in the emulator
};
constexpr std::size_t kStubChunkBytes = std::size_t(1) << 16;
constexpr std::size_t kStubChunkHeaderBytes = 16;
static_assert(sizeof(AcDbStubChunk) <= kStubChunkHeaderBytes);

// Kept small: a drawing may hold millions of objects. An object read from a drawing is the stub of
// its record (AcDbImpDatabase::stubOfRecord) and leaves all that its record answers (handle, class,
// owner, extension dictionary, layer, visibility) to the record until the plug-in changes it. All
// zero is a stub of no object with nothing open: stubs are made as zero memory, never constructed.
class AcDbStub {
public:
    AcDbStub() = delete;

    // nullptr for a stub that stands for no object (a record of the drawing that is none).
    AcDbImpDatabase* database() const { return mObject ? chunk().database : nullptr; }
    // Index of the record read from a drawing file; UINT32_MAX for objects made in the emulator.
    std::uint32_t sourceRecord() const {
        const std::uint32_t first = chunk().firstRecord;
        if (first == UINT32_MAX) return UINT32_MAX;
        const std::uintptr_t offset = reinterpret_cast<std::uintptr_t>(this) & (kStubChunkBytes - 1);
        return first + static_cast<std::uint32_t>((offset - kStubChunkHeaderBytes) / sizeof(AcDbStub));
    }
    std::uint64_t handle() const;
    AcRxClass* cls() const;
    AcDbStub* owner() const;
    AcDbStub* extDict() const;
    void setExtDict(AcDbStub* pDict);
    AcDbStub* layer() const;  // entities
    void setLayer(AcDbStub* pLayer);
    bool invisible() const;  // entities
    void setInvisible(bool invisible) {
        mInvisibleSet = true;
        mInvisible = invisible;
    }
    // The contents of a container; nullptr for other objects.
    AcDbStubContents* contents() const;
    AcDbStubContents& ensureContents();

    std::uint16_t readers;
    std::uint8_t notifiers;
    // Set while the object is open; the host object then stands for it (see openFacade).
    bool writer : 1;
    bool erased : 1;
    bool off : 1;  // layers
    bool frozen : 1;
    bool locked : 1;
    bool switchesChanged : 1;  // layers whose switches may differ from the file read
    bool hasFacade : 1;

    bool isOpen() const { return writer || readers > 0 || notifiers > 0; }

private:
    friend class AcDbImpDatabase;
    const AcDbStubChunk& chunk() const {
        return *reinterpret_cast<const AcDbStubChunk*>(reinterpret_cast<std::uintptr_t>(this) &
                                                       ~std::uintptr_t(kStubChunkBytes - 1));
    }
    bool mObject : 1;
    bool mHasMore : 1;      // the database keeps an AcDbStubMore for it
    bool mHasContents : 1;  // and AcDbStubContents
    bool mInvisibleSet : 1;
    bool mInvisible : 1;
};
static_assert(sizeof(AcDbStub) <= 8, "a stub per record of a drawing of millions");
