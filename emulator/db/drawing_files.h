// Reading and writing drawing files for the emulated database.
#pragma once

#include "emulator/db/database_imp.h"

namespace vrk::emu {
Acad::ErrorStatus readDrawingFile(AcDbImpDatabase& db, const ACHAR* fileName, int shmode, bool allowCPConversion);
Acad::ErrorStatus saveDrawingFile(AcDbImpDatabase& db, const ACHAR* fileName);
}  // namespace vrk::emu
