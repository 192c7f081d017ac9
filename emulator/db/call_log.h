// The host calls of the database, as the call log (emulator/calls) sees them: by the handle of the
// object they concern, which is looked up only while the log or a fault rule is watching.
#pragma once

#include <cstdint>

#include "emulator/calls/host_calls.h"
#include "emulator/db/stub.h"

namespace vrk::emu {

inline std::uint64_t handleForCallLog(const AcDbStub* pObject) {
    return pObject != nullptr && HostCalls::instance().watching() ? pObject->handle() : 0;
}

// Returns 0 to go on, else the error to report (HostCalls::enter).
inline int enterCall(const char* op, const AcDbStub* pObject) {
    return HostCalls::instance().enter(op, handleForCallLog(pObject));
}

inline void noteCall(const char* op, const AcDbStub* pObject) {
    HostCalls::instance().note(op, handleForCallLog(pObject));
}

}  // namespace vrk::emu
