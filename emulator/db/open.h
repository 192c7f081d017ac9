// Opening and closing database objects by the host's rules.
#pragma once

#include "emulator/db/stub.h"
#include "arx/dbmain.h"

class AcDbObjectAccess {
public:
    static AcDbStub* stub(const AcDbObject* pObj) { return pObj ? pObj->mpStub : nullptr; }
    static void attach(AcDbObject* pObj, AcDbStub* pStub) { pObj->mpStub = pStub; }
};

namespace vrk::emu {

// Opens pStub: eNullObjectId, eWasErased (unless openErased), eNotThatKindOfClass (when pClass is
// given), eWasOpenForWrite / eWasOpenForRead on a conflict, eOnLockedLayer for an entity on a
// locked layer opened for write.  Nothing is left open on failure.
Acad::ErrorStatus openStub(AcDbStub* pStub, AcDb::OpenMode mode, bool openErased, const AcRxClass* pClass,
                           AcDbObject*& pObj);
// Ends one open of the object (the write open first, then a read, then a notify).
void closeStub(AcDbStub* pStub);
// The host object that stands for an open object (few are open at once, so they are kept aside).
AcDbObject* openFacade(const AcDbStub* pStub);
// Drops the host object of a stub whose database goes away while it is open.
void discardFacade(AcDbStub* pStub);

inline AcDbStub* stubOf(const AcDbObject* pObj) { return AcDbObjectAccess::stub(pObj); }
inline AcDbStub* stubOf(AcDbObjectId id) { return static_cast<AcDbStub*>(id); }

// Checks that the object may be changed; notes a write through a read-only open.
bool checkWrite(const AcDbObject* pObj, const char* op);

// Marks the object erased, with everything it owns.
void eraseTree(AcDbStub* pStub, bool erasing);

}  // namespace vrk::emu
