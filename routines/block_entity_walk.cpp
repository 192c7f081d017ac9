#include "routines/block_entity_walk.h"

AcDbBlockTableRecordIterator* NewBlockEntityIterator(AcDbDatabase* pDb, const ACHAR* blockName)
{
    AcDbBlockTable* pBlockTable = NULL;
    if (pDb->getSymbolTable(pBlockTable, AcDb::kForRead) != Acad::eOk)
        return NULL;

    AcDbBlockTableRecord* pBlockTableRecord = NULL;
    if (pBlockTable->getAt(blockName, pBlockTableRecord, AcDb::kForWrite, false) != Acad::eOk) {
        pBlockTable->close();
        return NULL;
    }

    AcDbBlockTableRecordIterator* pBlockIterator = NULL;
    if (pBlockTableRecord->newIterator(pBlockIterator, true, true) != Acad::eOk)
        pBlockIterator = NULL;
    pBlockTable->close();
    pBlockTableRecord->close();
    return pBlockIterator;
}
