// AcDbDatabase: the host's drawing database.
#include "emulator/db/database_imp.h"
#include "emulator/db/drawing_files.h"
#include "emulator/db/file_sharing.h"
#include "emulator/db/open.h"
#include "emulator/rx/class_registry.h"
#include "emulator/db/call_log.h"
#include "emulator/text.h"

using vrk::emu::enterCall;
using vrk::emu::HostCalls;

VRK_DEFINE_DESC(AcDbDatabase)

AcDbDatabase::AcDbDatabase(bool buildDefaultDrawing, bool /*noDocument*/) : mpImp(new AcDbImpDatabase(this)) {
    if (buildDefaultDrawing) mpImp->buildDefaultDrawing();
}

AcDbDatabase::~AcDbDatabase() {
    HostCalls::instance().note("AcDbDatabase::~AcDbDatabase");
    vrk::emu::releaseDrawingFile(this);
    delete mpImp;
}

// The file stays held, in the share mode it was read with, until the database goes or reads another.
Acad::ErrorStatus AcDbDatabase::readDwgFile(const ACHAR* fileName, int shmode, bool bAllowCPConversion,
                                            const ACHAR* /*password*/) {
    if (int es = HostCalls::instance().enter("AcDbDatabase::readDwgFile")) return Acad::ErrorStatus(es);
    const std::string path = fileName != nullptr ? vrk::emu::fromHost(fileName) : std::string();
    vrk::emu::recordDrawingFileRead(path, shmode, bAllowCPConversion);
    Acad::ErrorStatus es = vrk::emu::checkDrawingFileRead(this, path, shmode);
    if (es != Acad::eOk)
        return vrk::emu::failDrawingFile(es, es == Acad::eInvalidInput ? "not a share mode: " + std::to_string(shmode)
                                                                       : path + " is open elsewhere");
    es = vrk::emu::readDrawingFile(*mpImp, fileName, shmode, bAllowCPConversion);
    if (es == Acad::eOk) vrk::emu::holdDrawingFile(this, path, shmode);
    return es;
}

Acad::ErrorStatus AcDbDatabase::saveAs(const ACHAR* fileName, const SecurityParams* /*pSecParams*/) {
    if (int es = HostCalls::instance().enter("AcDbDatabase::saveAs")) return Acad::ErrorStatus(es);
    if (fileName != nullptr) {
        const std::string path = vrk::emu::fromHost(fileName);
        if (vrk::emu::checkDrawingFileWrite(this, path) != Acad::eOk)
            return vrk::emu::failDrawingFile(Acad::eFileSharingViolation, path + " is open elsewhere, denying writes");
    }
    return vrk::emu::saveDrawingFile(*mpImp, fileName);
}

namespace {
template <class T>
Acad::ErrorStatus openTable(AcDbStub* pTable, T*& pTableOut, AcDb::OpenMode mode) {
    pTableOut = nullptr;
    if (int es = enterCall("AcDbDatabase::getSymbolTable", pTable)) return Acad::ErrorStatus(es);
    AcDbObject* pObj = nullptr;
    Acad::ErrorStatus es = vrk::emu::openStub(pTable, mode, false, T::desc(), pObj);
    pTableOut = static_cast<T*>(pObj);
    return es;
}
}  // namespace

Acad::ErrorStatus AcDbDatabase::getSymbolTable(AcDbBlockTable*& pTable, AcDb::OpenMode mode) {
    return openTable(mpImp->blockTable, pTable, mode);
}
Acad::ErrorStatus AcDbDatabase::getSymbolTable(AcDbLayerTable*& pTable, AcDb::OpenMode mode) {
    return openTable(mpImp->layerTable, pTable, mode);
}
Acad::ErrorStatus AcDbDatabase::getBlockTable(AcDbBlockTable*& pTable, AcDb::OpenMode mode) {
    return getSymbolTable(pTable, mode);
}
Acad::ErrorStatus AcDbDatabase::getLayerTable(AcDbLayerTable*& pTable, AcDb::OpenMode mode) {
    return getSymbolTable(pTable, mode);
}

AcDbObjectId AcDbDatabase::clayer() const { return AcDbObjectId(mpImp->currentLayer); }

Acad::ErrorStatus AcDbDatabase::setClayer(AcDbObjectId objId) {
    if (int es = HostCalls::instance().enter("AcDbDatabase::setClayer")) return Acad::ErrorStatus(es);
    AcDbStub* pStub = vrk::emu::stubOf(objId);
    if (pStub == nullptr || pStub->erased || pStub->owner() != mpImp->layerTable || pStub->frozen)
        return Acad::eInvalidInput;
    mpImp->currentLayer = pStub;
    return Acad::eOk;
}

void AcDbDatabase::disableUndoRecording(bool disable) {
    HostCalls::instance().note(disable ? "AcDbDatabase::disableUndoRecording(true)"
                                       : "AcDbDatabase::disableUndoRecording(false)");
    mpImp->undoRecording = !disable;
}

bool AcDbDatabase::undoRecording() const { return mpImp->undoRecording; }
