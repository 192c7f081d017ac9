#include "convert/drawing_conversion.h"

#include <stdlib.h>

#include "convert/layer_state_snapshot.h"
#include "solidify/block_cleanup.h"

namespace {

// A copy of the path in a string variable, or NULL when the variable holds no text.
ACHAR* CopyPathFromResult(struct resbuf& rb)
{
    if (rb.restype != RTSTR || rb.resval.rstring == NULL)
        return NULL;
    ACHAR* pPath = _tcsdup(rb.resval.rstring);
    acdbFree(rb.resval.rstring);
    return pPath;
}

// Message, status, then the side database goes: the order every failure keeps.
int FailConversion(AcDbDatabase* pSideDb, const ACHAR* message, int status)
{
    acutPrintf(message);
    WriteConversionStatus(status);
    delete pSideDb;
    return status;
}

}  // namespace

void ConvertDrawingFromUserVariables()
{
    struct resbuf rb;
    if (acedGetVar(ACRX_T("USERS1"), &rb) != RTNORM)
        return;
    ACHAR* pSourcePath = CopyPathFromResult(rb);

    if (acedGetVar(ACRX_T("USERS2"), &rb) != RTNORM) {
        free(pSourcePath);
        return;
    }
    ACHAR* pTargetPath = CopyPathFromResult(rb);

    ConvertDrawingFile(pSourcePath, pTargetPath);
    free(pSourcePath);
    free(pTargetPath);
}

int ConvertDrawingFile(const ACHAR* pSourcePath, const ACHAR* pTargetPath)
{
    if (pSourcePath == NULL || pTargetPath == NULL || pSourcePath[0] == 0 || pTargetPath[0] == 0) {
        WriteConversionStatus(CONVERSION_NO_FILE);
        return CONVERSION_NO_FILE;
    }

    AcDbDatabase* pSideDb = new AcDbDatabase(false, false);
    // 0x20: nobody else may write the source while it is read.
    if (pSideDb->readDwgFile(pSourcePath, _SH_DENYWR, false, NULL) != Acad::eOk)
        return FailConversion(pSideDb, ACRX_T("\nRuntime ERROR[30101]"), CONVERSION_NO_FILE);

    // Invisible entities on locked layers could not be opened for write: open the layers up first.
    LayerStateSnapshot LayerRcdArray;
    CaptureLayerStates(pSideDb, LayerRcdArray);

    AcDbBlockTable* pBlockTable = NULL;
    if (pSideDb->getSymbolTable(pBlockTable, AcDb::kForRead) != Acad::eOk)
        return FailConversion(pSideDb, ACRX_T("\nRuntime ERROR[30102]"), CONVERSION_BAD_BLOCKS);

    AcDbBlockTableIterator* pBlockTableIterator = NULL;
    if (pBlockTable->newIterator(pBlockTableIterator, true, true) != Acad::eOk) {
        pBlockTable->close();
        return FailConversion(pSideDb, ACRX_T("\nRuntime ERROR[3103]"), CONVERSION_BAD_BLOCKS);
    }

    for (; !pBlockTableIterator->done(); pBlockTableIterator->step(true, true)) {
        AcDbBlockTableRecord* pBlockTableRecord = NULL;
        if (pBlockTableIterator->getRecord(pBlockTableRecord, AcDb::kForRead, false) != Acad::eOk) {
            delete pBlockTableIterator;
            pBlockTable->close();
            return FailConversion(pSideDb, ACRX_T("\nRuntime ERROR[30104]"), CONVERSION_BAD_BLOCKS);
        }
        const ACHAR* Blkname = NULL;
        if (pBlockTableRecord->getName(Blkname) != Acad::eOk) {
            pBlockTableRecord->close();
            delete pBlockTableIterator;
            pBlockTable->close();
            return FailConversion(pSideDb, ACRX_T("\nRuntime ERROR[30105]"), CONVERSION_BAD_BLOCKS);
        }
        EraseInvisibleEntities(pBlockTableRecord);
        pBlockTableRecord->close();
    }
    delete pBlockTableIterator;
    pBlockTable->close();

    RestoreLayerStates(pSideDb, LayerRcdArray);

    if (pSideDb->saveAs(pTargetPath) != Acad::eOk)
        return FailConversion(pSideDb, ACRX_T("\nRuntime ERROR[30106]"), CONVERSION_NOT_SAVED);

    // Success is reported only once the side database is gone.
    delete pSideDb;
    WriteConversionStatus(CONVERSION_DONE);
    return CONVERSION_DONE;
}

void WriteConversionStatus(int code)
{
    struct resbuf rb;
    rb.rbnext = NULL;
    rb.restype = RTREAL;
    rb.resval.rreal = (double)code;
    acedSetVar(ACRX_T("USERI1"), &rb);
}
