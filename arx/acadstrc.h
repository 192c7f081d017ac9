// Basic host types: result codes, open modes, the host's heap.
#pragma once

#include <stddef.h>
#if !defined(_MSC_VER)
#include <stdint.h>
#endif

#include "arx/export.h"
#include "arx/text.h"

namespace Adesk {
#if defined(_MSC_VER)
// The host's compilers (Visual C++ 7.0 and 8.0) have no <stdint.h>.
typedef signed char Int8;
typedef short Int16;
typedef int Int32;
typedef unsigned char UInt8;
typedef unsigned short UInt16;
typedef unsigned int UInt32;
typedef __int64 Int64;
typedef unsigned __int64 UInt64;
#else
typedef int8_t Int8;
typedef int16_t Int16;
typedef int32_t Int32;
typedef uint8_t UInt8;
typedef uint16_t UInt16;
typedef uint32_t UInt32;
typedef int64_t Int64;
typedef uint64_t UInt64;
#endif
typedef bool Boolean;
const bool kFalse = false;
const bool kTrue = true;
}  // namespace Adesk

namespace Acad {
// Result of every database operation: eOk is success, everything else a failure.  The numbers are
// the host's, each checked against one published listing of the enumeration: ObjectARX 2018's
// acadstrc.h as the repository satya-das/cppparser publishes it
// (test/e2e/test_master/ObjectArxHeaders/acadstrc.h).  The 2004-2008 headers were not at hand.
enum ErrorStatus {
    eOk = 0,
    eNotImplementedYet = 1,
    eNotApplicable = 2,
    eInvalidInput = 3,
    eAmbiguousInput = 4,
    eOutOfMemory = 6,
    eBufferTooSmall = 7,
    eInvalidOpenState = 8,
    eHandleExists = 10,
    eNullHandle = 11,
    eBrokenHandle = 12,
    eUnknownHandle = 13,
    eNullObjectPointer = 15,
    eNullObjectId = 16,
    eNullBlockName = 17,
    eContainerNotEmpty = 18,
    eKeyNotFound = 22,
    eDuplicateKey = 23,
    eInvalidIndex = 24,
    eAlreadyInDb = 26,
    eInvalidKey = 33,
    eWrongObjectType = 34,
    eWrongDatabase = 35,
    eInvalidDwgVersion = 37,
    eAnonymousEntry = 38,
    eEndOfFile = 41,
    eNotOpenForRead = 44,
    eNotOpenForWrite = 45,
    eNotThatKindOfClass = 46,
    eBadDxfSequence = 52,
    eFilerError = 53,
    eDxfPartiallyRead = 62,
    eDxfReadAborted = 63,
    eDwgNeedsAFullSave = 69,
    eFileAccessErr = 72,
    eFileNotFound = 76,
    eWasErased = 80,
    ePermanentlyErased = 81,
    eWasOpenForRead = 82,
    eWasOpenForWrite = 83,
    eWasOpenForUndo = 84,
    eWasNotifying = 85,
    eWasOpenForNotify = 86,
    eOnLockedLayer = 87,
    eMustOpenThruOwner = 88,
    eAtMaxReaders = 90,
    eWriteFailed = 112,  // no listing shows it: the emulator's own, for a save that fails writing
    eNotInDatabase = 137,
    eCreateFailed = 337,
    eFileSharingViolation = 433,
    eDwgShareDemandLoad = 500
};
}  // namespace Acad

namespace AcDb {
enum OpenMode { kForRead = 0, kForWrite = 1, kForNotify = 2 };
enum Visibility { kVisible = 0, kInvisible = 1 };
}  // namespace AcDb

// Objects that the host hands out are allocated and released on the host's heap.
class VRK_HOST_API AcHeapOperators {
public:
    static void* operator new(size_t size);
    static void operator delete(void* p);
};
