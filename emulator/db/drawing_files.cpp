// Placeholder until the drawing-file reader lands: reports what the host would for a missing file.
#include "emulator/db/drawing_files.h"

#include <sys/stat.h>

#include "emulator/text.h"

namespace vrk::emu {

Acad::ErrorStatus readDrawingFile(AcDbImpDatabase&, const ACHAR* fileName, int, bool) {
    struct stat st;
    if (fileName == nullptr || stat(fromHost(fileName).c_str(), &st) != 0) return Acad::eFileNotFound;
    return Acad::eNotImplementedYet;
}

Acad::ErrorStatus saveDrawingFile(AcDbImpDatabase&, const ACHAR*) { return Acad::eNotImplementedYet; }

std::string lastDrawingFileError(Acad::ErrorStatus es) {
    return es == Acad::eFileNotFound ? "no such file" : "drawing files are not supported yet";
}

}  // namespace vrk::emu
