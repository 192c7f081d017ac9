// The emulated database's record of one object.  Object ids point at stubs; the host class that the
// plug-in sees (the facade) exists only while the object is open.
#pragma once

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
// emulator, containers, and objects read from a drawing whose owner, extension dictionary or layer
// the plug-in changed.
struct AcDbStubMore {
    AcRxClass* cls = nullptr;  // when set, in place of the class the record's type gives
    std::uint64_t handle = 0;  // objects made in the emulator
    AcDbStub* owner = nullptr;
    AcDbStub* extDict = nullptr;
    AcDbStub* layer = nullptr;
    bool ownerSet = false;
    bool extDictSet = false;
    bool layerSet = false;
    std::unique_ptr<AcDbStubContents> contents;
};

// Kept small: a drawing may hold millions of objects. An object read from a drawing is the stub at
// its record's index in the database's array and leaves all that its record answers (handle, class,
// owner, extension dictionary, layer, visibility) to the record until the plug-in changes it.
class AcDbStub {
public:
    AcDbStub()
        : writer(false),
          erased(false),
          off(false),
          frozen(false),
          locked(false),
          switchesChanged(false),
          hasFacade(false),
          mHasMore(false),
          mInvisibleSet(false),
          mInvisible(false) {}

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
    // Index of the record read from a drawing file; UINT32_MAX for objects made in the emulator.
    std::uint32_t sourceRecord() const;
    // The contents of a container; nullptr for other objects.
    AcDbStubContents* contents() const;
    AcDbStubContents& ensureContents();

    AcDbImpDatabase* database = nullptr;  // nullptr: no object (a record of the file that is none)
    std::uint16_t readers = 0;
    std::uint8_t notifiers = 0;
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
    bool mHasMore : 1;  // the database keeps an AcDbStubMore for it
    bool mInvisibleSet : 1;
    bool mInvisible : 1;
};
