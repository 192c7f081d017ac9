#include "emulator/rx/error_status.h"

namespace vrk::emu {

const char* errorStatusName(Acad::ErrorStatus es) {
#define VRK_STATUS(name) \
    case Acad::name: return #name
    switch (es) {
        VRK_STATUS(eOk);
        VRK_STATUS(eNotImplementedYet);
        VRK_STATUS(eNotApplicable);
        VRK_STATUS(eInvalidInput);
        VRK_STATUS(eAmbiguousInput);
        VRK_STATUS(eOutOfMemory);
        VRK_STATUS(eBufferTooSmall);
        VRK_STATUS(eInvalidOpenState);
        VRK_STATUS(eHandleExists);
        VRK_STATUS(eNullHandle);
        VRK_STATUS(eBrokenHandle);
        VRK_STATUS(eUnknownHandle);
        VRK_STATUS(eNullObjectPointer);
        VRK_STATUS(eNullObjectId);
        VRK_STATUS(eNullBlockName);
        VRK_STATUS(eContainerNotEmpty);
        VRK_STATUS(eKeyNotFound);
        VRK_STATUS(eDuplicateKey);
        VRK_STATUS(eInvalidIndex);
        VRK_STATUS(eAlreadyInDb);
        VRK_STATUS(eInvalidKey);
        VRK_STATUS(eWrongObjectType);
        VRK_STATUS(eWrongDatabase);
        VRK_STATUS(eInvalidDwgVersion);
        VRK_STATUS(eAnonymousEntry);
        VRK_STATUS(eEndOfFile);
        VRK_STATUS(eNotOpenForRead);
        VRK_STATUS(eNotOpenForWrite);
        VRK_STATUS(eNotThatKindOfClass);
        VRK_STATUS(eBadDxfSequence);
        VRK_STATUS(eFilerError);
        VRK_STATUS(eDxfPartiallyRead);
        VRK_STATUS(eDxfReadAborted);
        VRK_STATUS(eDwgNeedsAFullSave);
        VRK_STATUS(eFileAccessErr);
        VRK_STATUS(eFileNotFound);
        VRK_STATUS(eWasErased);
        VRK_STATUS(ePermanentlyErased);
        VRK_STATUS(eWasOpenForRead);
        VRK_STATUS(eWasOpenForWrite);
        VRK_STATUS(eWasOpenForUndo);
        VRK_STATUS(eWasNotifying);
        VRK_STATUS(eWasOpenForNotify);
        VRK_STATUS(eOnLockedLayer);
        VRK_STATUS(eMustOpenThruOwner);
        VRK_STATUS(eAtMaxReaders);
        VRK_STATUS(eWriteFailed);
        VRK_STATUS(eNotInDatabase);
        VRK_STATUS(eCreateFailed);
        VRK_STATUS(eFileSharingViolation);
        VRK_STATUS(eDwgShareDemandLoad);
    }
#undef VRK_STATUS
    return "";
}

std::string describeErrorStatus(Acad::ErrorStatus es) {
    const std::string number = std::to_string(static_cast<int>(es));
    const std::string name = errorStatusName(es);
    return name.empty() ? number : name + " (" + number + ")";
}

}  // namespace vrk::emu
