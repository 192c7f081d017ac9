#pragma once

#include "emulator/db/stub.h"

class AcDbObject;
class AcRxClass;

namespace vrk::emu {
// The host object of the stub's class pClass (or its nearest modelled ancestor).
AcDbObject* createFacade(AcDbStub* pStub, const AcRxClass* pClass);
void destroyFacade(AcDbObject* pObj);
}  // namespace vrk::emu
