#include "routines/hidden_layer_purge.h"

#include "routines/block_entity_walk.h"

namespace {

bool IsLayoutBlockName(const ACHAR* blockName)
{
    return _tcsicmp(blockName, ACRX_T("*Model_Space")) == 0 || _tcsstr(blockName, ACRX_T("*Paper_Space")) != NULL;
}

// Walks the block table and purges every layout block.  Returns early on the first failure; the
// caller freezes the thawed layers again either way.
void PurgeLayoutBlocks(const AcDbObjectIdArray& arrOffLayerId, const AcDbObjectIdArray& arrFrozenLayerId)
{
    AcDbDatabase* pDb = acdbHostApplicationServices()->workingDatabase();
    if (pDb == NULL)
        return;

    AcDbBlockTable* pBlockTable = NULL;
    if (pDb->getSymbolTable(pBlockTable, AcDb::kForRead) != Acad::eOk)
        return;

    AcDbBlockTableIterator* pBlockTableIterator = NULL;
    if (pBlockTable->newIterator(pBlockTableIterator, true, true) != Acad::eOk) {
        pBlockTable->close();
        return;
    }

    for (; !pBlockTableIterator->done(); pBlockTableIterator->step(true, true)) {
        AcDbBlockTableRecord* pBlockTableRecord = NULL;
        if (pBlockTableIterator->getRecord(pBlockTableRecord, AcDb::kForRead, false) != Acad::eOk) {
            delete pBlockTableIterator;
            pBlockTable->close();
            return;
        }
        // A copy: the record is closed before the name is used, and its own name goes with it.
        ACHAR* blockName = NULL;
        if (pBlockTableRecord->getName(blockName) != Acad::eOk) {
            pBlockTableRecord->close();
            delete pBlockTableIterator;
            pBlockTable->close();
            return;
        }
        // Closed first: the purge opens the same record again, for write.
        pBlockTableRecord->close();

        if (IsLayoutBlockName(blockName))
            EraseEntitiesOnLayers(blockName, arrOffLayerId, arrFrozenLayerId);
        acutDelString(blockName);
    }

    delete pBlockTableIterator;
    pBlockTable->close();
}

}  // namespace

void PurgeHiddenLayerEntities()
{
    AcDbObjectIdArray arrOffLayerId;
    AcDbObjectIdArray arrFrozenLayerId;

    CollectHiddenLayers(arrOffLayerId, arrFrozenLayerId);
    PurgeLayoutBlocks(arrOffLayerId, arrFrozenLayerId);
    // Also after a failed walk, so that a failure never leaves the user's frozen layers thawed.
    FreezeLayers(arrFrozenLayerId);
}

void CollectHiddenLayers(AcDbObjectIdArray& arrOffLayerId, AcDbObjectIdArray& arrFrozenLayerId)
{
    AcDbDatabase* pDb = acdbHostApplicationServices()->workingDatabase();
    if (pDb == NULL)
        return;

    AcDbLayerTable* pLayerTable = NULL;
    if (pDb->getSymbolTable(pLayerTable, AcDb::kForRead) != Acad::eOk)
        return;

    AcDbLayerTableIterator* pLayerIterator = NULL;
    if (pLayerTable->newIterator(pLayerIterator, true, true) != Acad::eOk) {
        pLayerTable->close();
        return;
    }

    for (; !pLayerIterator->done(); pLayerIterator->step(true, true)) {
        AcDbLayerTableRecord* pLayer = NULL;
        if (pLayerIterator->getRecord(pLayer, AcDb::kForWrite, false) != Acad::eOk)
            continue;

        // Entities on a locked layer do not open for write, so none could be erased.
        pLayer->setIsLocked(false);
        if (pLayer->isOff() && !pLayer->isFrozen())
            arrOffLayerId.append(pLayer->objectId());
        if (pLayer->isFrozen()) {
            pLayer->setIsFrozen(false);
            arrFrozenLayerId.append(pLayer->objectId());
        }
        pLayer->close();
    }

    delete pLayerIterator;
    pLayerTable->close();
}

void EraseEntitiesOnLayers(const ACHAR* blockName, AcDbObjectIdArray arrOffLayerId, AcDbObjectIdArray arrFrozenLayerId)
{
    AcDbDatabase* pDb = acdbHostApplicationServices()->workingDatabase();
    if (pDb == NULL)
        return;

    AcDbBlockTableRecordIterator* pBlockIterator = NewBlockEntityIterator(pDb, blockName);
    if (pBlockIterator == NULL)
        return;

    for (pBlockIterator->start(true, true); !pBlockIterator->done(); pBlockIterator->step(true, true)) {
        AcDbEntity* pEnt = NULL;
        if (pBlockIterator->getEntity(pEnt, AcDb::kForWrite, false) != Acad::eOk) {
            delete pBlockIterator;
            return;
        }
        AcDbObjectId layerId = pEnt->layerId();
        if (arrOffLayerId.contains(layerId) || arrFrozenLayerId.contains(layerId))
            pEnt->erase(true);
        pEnt->close();
    }

    delete pBlockIterator;
}

void FreezeLayers(AcDbObjectIdArray arrLayerId)
{
    for (int i = 0; i < arrLayerId.length(); ++i) {
        AcDbLayerTableRecord* pLayer = NULL;
        if (acdbOpenObject(pLayer, arrLayerId[i], AcDb::kForWrite, false) != Acad::eOk)
            continue;
        pLayer->setIsFrozen(true);
        pLayer->close();
    }
}
