// Drawing files in a build without the drawing-file code (Windows until that code is ported):
// every read and save fails with the reason, as a missing file or a refused save would.
#include "emulator/db/drawing_files.h"
#include "emulator/rx/error_status.h"

namespace vrk::emu {

namespace {
const std::string kReason = "drawing files are not supported in this build";
}

void setSaveFaults(const vrk::fs::SaveFaults*) {}
void setSaveEncoding(SaveEncoding) {}
SaveEncoding saveEncoding() { return SaveEncoding::AsRead; }

std::string lastDrawingFileError(Acad::ErrorStatus es) { return kReason + " [" + describeErrorStatus(es) + "]"; }

const std::string& lastDrawingFileReason() { return kReason; }

Acad::ErrorStatus failDrawingFile(Acad::ErrorStatus es, std::string) { return es; }

Acad::ErrorStatus readDrawingFile(AcDbImpDatabase&, const ACHAR* fileName, int, bool) {
    return fileName == nullptr || fileName[0] == 0 ? Acad::eFileNotFound : Acad::eNotImplementedYet;
}

Acad::ErrorStatus saveDrawingFile(AcDbImpDatabase&, const ACHAR* fileName) {
    return fileName == nullptr || fileName[0] == 0 ? Acad::eInvalidInput : Acad::eNotImplementedYet;
}

}  // namespace vrk::emu
