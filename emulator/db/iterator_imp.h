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
    AcDbStub* current() const { return done() ? nullptr : children()[mPos]; }
    const AcDbStub* container() const { return mpContainer; }

private:
    const std::vector<AcDbStub*>& children() const;
    void skipErased(bool forward);
    const AcDbStub* mpContainer;
    std::ptrdiff_t mPos = 0;
};

class AcDbIteratorAccess {
public:
    template <class T>
    static T* create(const AcDbStub* pContainer, bool atBeginning, bool skipDeleted);
};
