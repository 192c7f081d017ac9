// Basic host types: result codes, open modes, the host's heap.
#pragma once

#include <stddef.h>
#include <stdint.h>

#include "frame/host/export.h"
#include "frame/host/text.h"

namespace Adesk {
typedef int8_t Int8;
typedef int16_t Int16;
typedef int32_t Int32;
typedef uint8_t UInt8;
typedef uint16_t UInt16;
typedef uint32_t UInt32;
typedef int64_t Int64;
typedef uint64_t UInt64;
typedef bool Boolean;
const bool kFalse = false;
const bool kTrue = true;
}  // namespace Adesk

namespace Acad {
// Result of every database operation: eOk is success, everything else a failure.
enum ErrorStatus {
    eOk = 0,
    eNotImplementedYet = 1,
    eNotApplicable = 2,
    eInvalidInput = 3,
    eOutOfMemory = 6,
    eBufferTooSmall = 7,
    eInvalidOpenState = 8,
    eHandleExists = 10,
    eNullHandle = 11,
    eUnknownHandle = 13,
    eNullObjectPointer = 15,
    eNullObjectId = 16,
    eNullBlockName = 17,
    eContainerNotEmpty = 18,
    eKeyNotFound = 21,
    eDuplicateKey = 22,
    eInvalidIndex = 23,
    eAlreadyInDb = 25,
    eOutOfDisk = 26,
    eInvalidKey = 32,
    eWrongObjectType = 33,
    eWrongDatabase = 34,
    eInvalidDwgVersion = 36,
    eEndOfFile = 40,
    eNotOpenForRead = 43,
    eNotOpenForWrite = 44,
    eNotThatKindOfClass = 45,
    eBadDxfSequence = 51,
    eFilerError = 52,
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
    eAlreadyErased = 90,
    eNotInDatabase = 102,
    eWriteFailed = 112,
    eCreateFailed = 118,
    eDwgShareDemandLoad = 120,
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
