// Reading and writing drawing files (DXF) for the emulated database.
#pragma once

#include <memory>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "emulator/db/database_imp.h"

namespace vrk::dxf {
class Document;
class TextCodec;
struct SaveFaults;
}

// What the database keeps of the file it was read from: the saved file is that file with the
// database's changes applied, so that nothing the emulator does not model is lost.
struct AcDbImpDatabase::SourceDrawing {
    std::unique_ptr<vrk::dxf::Document> document;
    std::unique_ptr<vrk::dxf::TextCodec> codec;
    ~SourceDrawing();
};

namespace vrk::emu {

// Fills db (emptied first) from the drawing file; eFileNotFound, eFileAccessErr, eInvalidDwgVersion,
// eDxfReadAborted.
Acad::ErrorStatus readDrawingFile(AcDbImpDatabase& db, const ACHAR* fileName, int shmode, bool allowCPConversion);
// Writes the database to fileName through a temporary file renamed over it.  eFileAccessErr when the
// folder cannot take the file, eWriteFailed when writing or flushing fails, eNotImplementedYet for
// objects made after reading (which could not be written without loss).
Acad::ErrorStatus saveDrawingFile(AcDbImpDatabase& db, const ACHAR* fileName);
// Why the last read or save that returned es failed, in words (with the line where reading stopped).
std::string lastDrawingFileError(Acad::ErrorStatus es);
// The reason the last read or save failed; empty after one that succeeded.
const std::string& lastDrawingFileReason();
// Fails a read or save with es for the reason given, as lastDrawingFileError then reports it.
Acad::ErrorStatus failDrawingFile(Acad::ErrorStatus es, std::string reason);

// What the record an object was read from says, for the few questions answered from the file:
// the first value of a group as UTF-8 ("" when none), an integer group, a dictionary's entries.
std::string sourceText(const AcDbStub* pStub, int code);
int sourceInt(const AcDbStub* pStub, int code, int fallback);
std::vector<std::pair<std::string, std::uint64_t>> sourceDictionaryEntries(const AcDbStub* pStub);

// Faults injected into every later save (nullptr: none), for tests of failing disks.
void setSaveFaults(const vrk::dxf::SaveFaults* pFaults);

}  // namespace vrk::emu
