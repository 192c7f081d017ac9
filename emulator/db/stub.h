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

// What containers hold: table records, block entities, dictionary entries.
struct AcDbStubContents {
    std::string name;                     // symbol-table record name, UTF-8
    std::vector<AcDbStub*> children;      // in order of the container
    std::vector<std::string> keys;        // dictionary entry names, parallel to children
    std::vector<AcDbStub*> parts;         // attributes, vertices and end of sequence of an entity
};

class AcDbStub {
public:
    AcDbImpDatabase* database = nullptr;
    AcRxClass* cls = nullptr;
    std::uint64_t handle = 0;
    AcDbStub* owner = nullptr;
    AcDbStub* extDict = nullptr;
    AcDbStub* layer = nullptr;           // entities
    AcDbStub* blockRecord = nullptr;     // block references: the referenced definition
    AcDbObject* facade = nullptr;        // while open
    std::uint32_t sourceRecord = UINT32_MAX;  // index of the record read from a drawing file
    std::uint16_t readers = 0;
    std::uint16_t notifiers = 0;
    std::uint16_t columns = 1;           // block references
    std::uint16_t rows = 1;
    bool writer = false;
    bool erased = false;
    bool invisible = false;              // entities
    bool off = false;                    // layers
    bool frozen = false;
    bool locked = false;
    bool switchesChanged = false;        // layers whose switches differ from the file read
    std::unique_ptr<AcDbStubContents> contents;

    bool isOpen() const { return writer || readers > 0 || notifiers > 0; }
    AcDbStubContents& ensureContents() {
        if (!contents) contents = std::make_unique<AcDbStubContents>();
        return *contents;
    }
};
