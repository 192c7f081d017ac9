// Reading and writing drawing files (DXF) for the emulated database.
#pragma once

#include <string>

#include "emulator/db/database_imp.h"
#include "emulator/fs/file_identity.h"

namespace vrk::fs {
struct SaveFaults;
}

namespace vrk::emu {

// Fills db (emptied first) from the drawing file, ASCII or binary; eFileNotFound, eFileAccessErr,
// eInvalidDwgVersion, eDxfReadAborted. The database keeps the file's records: a save writes that file
// with the database's changes applied, so that nothing the emulator does not model is lost.
Acad::ErrorStatus readDrawingFile(AcDbImpDatabase& db, const ACHAR* fileName, int shmode, bool allowCPConversion);
// Writes the database to fileName through a temporary file renamed over it.  eFileAccessErr when the
// folder cannot take the file or the target may not be replaced (a folder, a special or read-only
// file), eFileSharingViolation when the file the drawing was read from was changed on disk by another
// program since, eWriteFailed when writing or flushing fails, eNotImplementedYet for objects made
// after reading (which could not be written without loss).
Acad::ErrorStatus saveDrawingFile(AcDbImpDatabase& db, const ACHAR* fileName);
// Why the last read or save that returned es failed, in words, naming the file, and the status by
// name and number ("cannot read a.dxf: line 12: group code is not a number [eDxfReadAborted (63)]").
std::string lastDrawingFileError(Acad::ErrorStatus es);
// The reason the last read or save failed; empty after one that succeeded.
const std::string& lastDrawingFileReason();
// Fails a read or save with es for the reason given, as lastDrawingFileError then reports it.
Acad::ErrorStatus failDrawingFile(Acad::ErrorStatus es, std::string reason);

// The encoding saves write: the one the drawing was read in (unchanged records then keep their bytes),
// or ASCII or binary DXF. Holds for every later save until changed.
enum class SaveEncoding { AsRead, Ascii, Binary };
void setSaveEncoding(SaveEncoding encoding);
SaveEncoding saveEncoding();

// Faults injected into every later save (nullptr: none), for tests of failing disks.
void setSaveFaults(const vrk::fs::SaveFaults* pFaults);

// Whether later saves may write at all (a session that must not save refuses them: eFileAccessErr).
void setSavesAllowed(bool allowed);
// Later saves over the file the drawing was read from first give that file the name path (a hard link,
// or a copy), under the save's lock; see vrk::fs::makeBackup. Empty: no backup.
void setSaveBackup(const std::string& path, bool numbered);
// The backup the last save made; empty when it made none.
const std::string& lastSaveBackup();
// True when a save would write anything but the file the drawing was read from (objects erased or
// changed since); true for a drawing not read from a file.
bool differsFromFileRead(const AcDbDatabase* pDb);

}  // namespace vrk::emu
