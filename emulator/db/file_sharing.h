// The drawing files that databases hold open.  The host keeps a drawing's file open, in the share
// mode it was read with, for as long as its database lives; a later read or save of the same file by
// another database must agree with that mode, as the file system's sharing rules demand.
#pragma once

#include <string>

#include "arx/dbdatabase.h"

namespace vrk::emu {

// eOk when pDb may open the file for reading with shareMode: no other database holds it in a mode
// that denies reading, and shareMode does not deny the reading the holders do
// (eFileSharingViolation); eInvalidInput for a share mode that is none of _SH_DENYRW, _SH_DENYWR,
// _SH_DENYRD, _SH_DENYNO.
Acad::ErrorStatus checkDrawingFileRead(const AcDbDatabase* pDb, const std::string& utf8Path, int shareMode);
// eOk when pDb may write the file: no other database holds it in a mode that denies writing.
Acad::ErrorStatus checkDrawingFileWrite(const AcDbDatabase* pDb, const std::string& utf8Path);
// pDb now holds the file (and no longer any file it held before).
void holdDrawingFile(const AcDbDatabase* pDb, const std::string& utf8Path, int shareMode);
void releaseDrawingFile(const AcDbDatabase* pDb);
// Notes what a readDwgFile call was given (see drawingFileReads in emulator/host.h).
void recordDrawingFileRead(const std::string& utf8Path, int shareMode, bool allowCodePageConversion);

}  // namespace vrk::emu
