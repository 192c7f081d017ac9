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
    std::string name;                 // symbol-table record name, UTF-8
    bool hasLayout = false;           // block records: a layout is linked to it
    std::vector<AcDbStub*> children;  // in order of the container
    std::unique_ptr<AcDbStubExtra> extra;

    AcDbStubExtra& ensureExtra() {
        if (!extra) extra = std::make_unique<AcDbStubExtra>();
        return *extra;
    }
};

// Kept small: a drawing may hold millions of objects.
class AcDbStub {
public:
    AcDbStub()
        : writer(false),
          erased(false),
          invisible(false),
          off(false),
          frozen(false),
          locked(false),
          switchesChanged(false),
          hasFacade(false) {}

    // The object's handle: its record's for objects read from a drawing, kept by the database for
    // the others (so that millions of objects read from a file do not each store it twice).
    std::uint64_t handle() const;

    AcDbImpDatabase* database = nullptr;
    AcRxClass* cls = nullptr;
    AcDbStub* owner = nullptr;
    AcDbStub* extDict = nullptr;
    AcDbStub* layer = nullptr;  // entities
    std::unique_ptr<AcDbStubContents> contents;
    std::uint32_t sourceRecord = UINT32_MAX;  // index of the record read from a drawing file
    std::uint16_t readers = 0;
    std::uint8_t notifiers = 0;
    // Set while the object is open; the host object then stands for it (see openFacade).
    bool writer : 1;
    bool erased : 1;
    bool invisible : 1;  // entities
    bool off : 1;        // layers
    bool frozen : 1;
    bool locked : 1;
    bool switchesChanged : 1;  // layers whose switches may differ from the file read
    bool hasFacade : 1;

    bool isOpen() const { return writer || readers > 0 || notifiers > 0; }
    AcDbStubContents& ensureContents() {
        if (!contents) contents = std::make_unique<AcDbStubContents>();
        return *contents;
    }
};
