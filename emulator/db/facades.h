#pragma once

#include "emulator/db/stub.h"

class AcDbObject;

namespace vrk::emu {
// The host object of the stub's class (or its nearest modelled ancestor).
AcDbObject* createFacade(AcDbStub* pStub);
void destroyFacade(AcDbObject* pObj);
}  // namespace vrk::emu
