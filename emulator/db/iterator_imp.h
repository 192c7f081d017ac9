// The position of a host iterator in the ordered contents of a table or block definition.
#pragma once

#include <cstddef>

#include "emulator/db/database_imp.h"
#include "emulator/db/stub.h"

class AcDbImpIterator {
public:
    explicit AcDbImpIterator(const AcDbStub* pContainer) : mpContainer(pContainer) {}

    void start(bool atBeginning, bool skipDeleted);
    // Inline: a walk over a definition of millions of entities asks these for every one.
    bool done() const { return mPos < 0 || mPos >= count(); }
    void step(bool forward, bool skipDeleted) {
        if (done()) return;
        mPos += forward ? 1 : -1;
        skip(forward, skipDeleted);
    }
    AcDbStub* current() const { return done() ? nullptr : at(mPos); }
    const AcDbStub* container() const { return mpContainer; }

private:
    // The container's contents, found once they exist (they may come after the iterator).
    const AcDbStubContents* contents() const {
        if (mpContents == nullptr) mpContents = mpContainer->contents();
        return mpContents;
    }
    std::ptrdiff_t count() const {
        const AcDbStubContents* pContents = contents();
        return pContents ? static_cast<std::ptrdiff_t>(pContents->fileRecordCount + pContents->children.size()) : 0;
    }
    // The object at a position: first the entities read from the drawing, then the children;
    // nullptr for a record of the drawing that is no object.
    AcDbStub* at(std::ptrdiff_t pos) const {
        const AcDbStubContents& contents = *this->contents();
        const auto fromFile = static_cast<std::ptrdiff_t>(contents.fileRecordCount);
        return pos < fromFile ? mpContainer->database()->stubOfRecord(contents.fileRecords[pos])
                              : contents.children[static_cast<std::size_t>(pos - fromFile)];
    }
    void skip(bool forward, bool skipDeleted) {
        for (AcDbStub* pStub; !done() && ((pStub = at(mPos)) == nullptr || (skipDeleted && pStub->erased));)
            mPos += forward ? 1 : -1;
    }
    const AcDbStub* mpContainer;
    mutable const AcDbStubContents* mpContents = nullptr;
    std::ptrdiff_t mPos = 0;
};

class AcDbIteratorAccess {
public:
    template <class T>
    static T* create(const AcDbStub* pContainer, bool atBeginning, bool skipDeleted);
};
