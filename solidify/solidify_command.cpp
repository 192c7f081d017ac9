#include "solidify/solidify_command.h"

#include "arx/arx.h"
#include "solidify/block_cleanup.h"

void SolidifyCommand()
{
    int solidifiedCount = 0;

    AcDbDatabase* pDb = acdbHostApplicationServices()->workingDatabase();
    if (pDb == NULL)
        return;
    // Before anything is opened; never switched back on.
    pDb->disableUndoRecording(true);

    AcDbBlockTable* pBlockTable = NULL;
    if (pDb->getSymbolTable(pBlockTable, AcDb::kForRead) != Acad::eOk)
        return;

    AcDbBlockTableIterator* pBlockTableIterator = NULL;
    if (pBlockTable->newIterator(pBlockTableIterator, true, true) != Acad::eOk) {
        pBlockTable->close();
        return;
    }

    for (; !pBlockTableIterator->done(); pBlockTableIterator->step(true, true)) {
        // Opened for write so that the release of the extension dictionary takes effect.
        AcDbBlockTableRecord* pBlockTableRecord = NULL;
        if (pBlockTableIterator->getRecord(pBlockTableRecord, AcDb::kForWrite, false) != Acad::eOk) {
            delete pBlockTableIterator;
            pBlockTable->close();
            return;
        }
        const ACHAR* Blkname = NULL;
        if (pBlockTableRecord->getName(Blkname) != Acad::eOk) {
            pBlockTableRecord->close();
            delete pBlockTableIterator;
            pBlockTable->close();
            return;
        }
        // Model space and paper spaces are layouts, not blocks: what the user sees stays as drawn.
        if (!pBlockTableRecord->isLayout()) {
            if (HasDynamicBlockDictionary(pBlockTableRecord) && EraseExtensionDictionary(pBlockTableRecord))
                ++solidifiedCount;
            EraseInvisibleEntities(pBlockTableRecord);
        }
        pBlockTableRecord->close();
    }

    delete pBlockTableIterator;
    pBlockTable->close();

    if (solidifiedCount == 0)
        acutPrintf(ACRX_T("\nNo dynamic block need to been solidfied."));
    else if (solidifiedCount == 1)
        acutPrintf(ACRX_T("\n%d dynamic block has been solidfied."), solidifiedCount);
    else
        acutPrintf(ACRX_T("\n%d dynamic blocks have been solidfied."), solidifiedCount);
}
