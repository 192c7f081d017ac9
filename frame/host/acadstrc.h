// Basic host types: result codes, open modes, the host's heap.
#pragma once

#include <stddef.h>
#if !defined(_MSC_VER)
#include <stdint.h>
#endif

#include "frame/host/export.h"
#include "frame/host/text.h"

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
// the host's.  Those marked "confirmed" were checked against the host's published reference (the
// managed ErrorStatus enumeration, which carries the same numbers, and the automation service's
// list of error numbers); the others could not be confirmed there and follow the host's order.
enum ErrorStatus {
    eOk = 0,                    // confirmed
    eNotImplementedYet = 1,
    eNotApplicable = 2,
    eInvalidInput = 3,
    eAmbiguousInput = 4,        // confirmed
    eOutOfMemory = 6,
    eBufferTooSmall = 7,        // confirmed
    eInvalidOpenState = 8,
    eHandleExists = 10,
    eNullHandle = 11,
    eBrokenHandle = 12,         // confirmed
    eUnknownHandle = 13,
    eNullObjectPointer = 15,
    eNullObjectId = 16,
    eNullBlockName = 17,
    eContainerNotEmpty = 18,    // confirmed
    eKeyNotFound = 21,
    eDuplicateKey = 22,
    eInvalidIndex = 23,
    eAlreadyInDb = 26,          // confirmed
    eInvalidKey = 32,
    eWrongObjectType = 33,
    eWrongDatabase = 34,
    eInvalidDwgVersion = 36,
    eAnonymousEntry = 38,       // confirmed
    eEndOfFile = 40,
    eNotOpenForRead = 43,
    eNotOpenForWrite = 44,
    eNotThatKindOfClass = 45,
    eBadDxfSequence = 52,       // confirmed
    eFilerError = 53,           // confirmed
    eDxfPartiallyRead = 61,
    eDxfReadAborted = 62,
    eDwgNeedsAFullSave = 68,
    eFileAccessErr = 70,
    eFileNotFound = 72,
    eFileSharingViolation = 73,
    eWasErased = 80,
    ePermanentlyErased = 81,
    eWasOpenForRead = 82,
    eWasOpenForWrite = 83,
    eWasOpenForUndo = 84,
    eWasNotifying = 85,
    eWasOpenForNotify = 86,
    eOnLockedLayer = 87,
    eMustOpenThruOwner = 88,
    eAtMaxReaders = 90,         // confirmed
    eNotInDatabase = 102,
    eWriteFailed = 112,
    eDwgShareDemandLoad = 120,
    eCreateFailed = 337         // confirmed
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
