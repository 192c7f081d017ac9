#include "routines/reference_dictionary_release.h"

void ReleaseReferenceExtensionDictionaries(AcDbDatabase* pDb, const ACHAR* blockName)
{
    if (pDb == NULL)
        return;

    AcDbBlockTable* pBlockTable = NULL;
    if (pDb->getSymbolTable(pBlockTable, AcDb::kForRead) != Acad::eOk)
        return;

    AcDbBlockTableRecord* pBlockTableRecord = NULL;
    if (pBlockTable->getAt(blockName, pBlockTableRecord, AcDb::kForWrite, false) != Acad::eOk) {
        pBlockTable->close();
        return;
    }

    AcDbBlockTableRecordIterator* pBlockIterator = NULL;
    if (pBlockTableRecord->newIterator(pBlockIterator, true, true) != Acad::eOk) {
        pBlockTable->close();
        pBlockTableRecord->close();
        return;
    }
    pBlockTable->close();
    pBlockTableRecord->close();

    for (pBlockIterator->start(true, true); !pBlockIterator->done(); pBlockIterator->step(true, true)) {
        AcDbEntity* pEnt = NULL;
        if (pBlockIterator->getEntity(pEnt, AcDb::kForWrite, false) != Acad::eOk) {
            delete pBlockIterator;
            return;
        }
        // Exact classes only: a table is a block reference by descent, but not one to treat here.
        const bool isReference =
            pEnt->isA() == AcDbBlockReference::desc() || pEnt->isA() == AcDbMInsertBlock::desc();
        if (isReference && pEnt->extensionDictionary() != AcDbObjectId::kNull)
            pEnt->releaseExtensionDictionary();
        pEnt->close();
    }

    delete pBlockIterator;
    acedRestoreStatusBar();
}
