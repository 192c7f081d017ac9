#include "emulator/db/file_sharing.h"

#include <filesystem>
#include <system_error>
#include <vector>

#include "emulator/host.h"

namespace vrk::emu {

namespace {

struct HeldFile {
    const AcDbDatabase* pDb;
    std::filesystem::path path;
    int shareMode;
};

std::vector<HeldFile>& heldFiles() {
    static std::vector<HeldFile> held;
    return held;
}

std::vector<DrawingFileRead>& reads() {
    static std::vector<DrawingFileRead> recorded;
    return recorded;
}

std::filesystem::path pathOf(const std::string& utf8Path) { return std::filesystem::u8path(utf8Path); }

bool deniesReading(int shareMode) { return shareMode == _SH_DENYRW || shareMode == _SH_DENYRD; }
bool deniesWriting(int shareMode) { return shareMode == _SH_DENYRW || shareMode == _SH_DENYWR; }

bool sameFile(const std::filesystem::path& a, const std::filesystem::path& b) {
    std::error_code ec;
    return std::filesystem::equivalent(a, b, ec) && !ec;
}

}  // namespace

const std::vector<DrawingFileRead>& drawingFileReads() { return reads(); }
void clearDrawingFileReads() { reads().clear(); }
void recordDrawingFileRead(const std::string& utf8Path, int shareMode, bool allowCodePageConversion) {
    reads().push_back({utf8Path, shareMode, allowCodePageConversion});
}

Acad::ErrorStatus checkDrawingFileRead(const AcDbDatabase* pDb, const std::string& utf8Path, int shareMode) {
    if (shareMode != _SH_DENYRW && shareMode != _SH_DENYWR && shareMode != _SH_DENYRD && shareMode != _SH_DENYNO)
        return Acad::eInvalidInput;
    const std::filesystem::path path = pathOf(utf8Path);
    for (const HeldFile& held : heldFiles()) {
        if (held.pDb == pDb || !sameFile(held.path, path)) continue;
        // Every holder reads its file, so a new reader must not deny reading either.
        if (deniesReading(held.shareMode) || deniesReading(shareMode)) return Acad::eFileSharingViolation;
    }
    return Acad::eOk;
}

Acad::ErrorStatus checkDrawingFileWrite(const AcDbDatabase* pDb, const std::string& utf8Path) {
    const std::filesystem::path path = pathOf(utf8Path);
    for (const HeldFile& held : heldFiles())
        if (held.pDb != pDb && deniesWriting(held.shareMode) && sameFile(held.path, path))
            return Acad::eFileSharingViolation;
    return Acad::eOk;
}

void holdDrawingFile(const AcDbDatabase* pDb, const std::string& utf8Path, int shareMode) {
    releaseDrawingFile(pDb);
    heldFiles().push_back({pDb, pathOf(utf8Path), shareMode});
}

void releaseDrawingFile(const AcDbDatabase* pDb) {
    auto& held = heldFiles();
    for (auto it = held.begin(); it != held.end();) it = it->pDb == pDb ? held.erase(it) : it + 1;
}

}  // namespace vrk::emu
