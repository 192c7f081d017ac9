// Reading and writing drawing files for the emulated database.
#pragma once

#include <string>

#include "emulator/db/database_imp.h"

namespace vrk::emu {
Acad::ErrorStatus readDrawingFile(AcDbImpDatabase& db, const ACHAR* fileName, int shmode, bool allowCPConversion);
Acad::ErrorStatus saveDrawingFile(AcDbImpDatabase& db, const ACHAR* fileName);
// Why the last read or save that returned es failed, in words (with the line where reading stopped).
std::string lastDrawingFileError(Acad::ErrorStatus es);
}  // namespace vrk::emu
