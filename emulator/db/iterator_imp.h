// The position of a host iterator in the ordered contents of a table or block definition.
#pragma once

#include <cstddef>

#include "emulator/db/stub.h"

class AcDbImpIterator {
public:
    explicit AcDbImpIterator(const AcDbStub* pContainer) : mpContainer(pContainer) {}

    void start(bool atBeginning, bool skipDeleted);
    bool done() const;
    void step(bool forward, bool skipDeleted);
    AcDbStub* current() const { return done() ? nullptr : at(mPos); }
    const AcDbStub* container() const { return mpContainer; }

private:
    // The container's contents, found once they exist (they may come after the iterator).
    const AcDbStubContents* contents() const;
    std::ptrdiff_t count() const;
    // The object at a position: first the entities read from the drawing, then the children;
    // nullptr for a record of the drawing that is no object.
    AcDbStub* at(std::ptrdiff_t pos) const;
    void skip(bool forward, bool skipDeleted);
    const AcDbStub* mpContainer;
    mutable const AcDbStubContents* mpContents = nullptr;
    std::ptrdiff_t mPos = 0;
};

class AcDbIteratorAccess {
public:
    template <class T>
    static T* create(const AcDbStub* pContainer, bool atBeginning, bool skipDeleted);
};
