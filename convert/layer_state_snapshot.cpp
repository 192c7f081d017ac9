#include "convert/layer_state_snapshot.h"

LayerStateSnapshot::LayerStateSnapshot()
{
    // The flags are read only for slots whose id opens, but a copy reads them all: give them a value.
    for (int i = 0; i < LAYER_STATE_SLOTS; ++i) {
        offFlags[i] = false;
        lockedFlags[i] = false;
        frozenFlags[i] = false;
    }
}

bool CaptureLayerStates(AcDbDatabase* pDb, LayerStateSnapshot& LayerRcdArray)
{
    AcDbLayerTable* pLayerTable = NULL;
    if (pDb->getSymbolTable(pLayerTable, AcDb::kForRead) != Acad::eOk)
        return false;

    AcDbLayerTableIterator* pLayerIterator = NULL;
    if (pLayerTable->newIterator(pLayerIterator, true, true) != Acad::eOk) {
        pLayerTable->close();
        return false;
    }
    pLayerTable->close();

    int i = 0;
    for (; !pLayerIterator->done() && i < LAYER_STATE_SLOTS; pLayerIterator->step(true, true)) {
        AcDbLayerTableRecord* pLayer = NULL;
        if (pLayerIterator->getRecord(pLayer, AcDb::kForWrite, false) != Acad::eOk)
            continue;  // skipped: it takes no slot and keeps its switches

        LayerRcdArray.layerIds[i] = pLayer->objectId();
        LayerRcdArray.offFlags[i] = pLayer->isOff();
        LayerRcdArray.lockedFlags[i] = pLayer->isLocked();
        LayerRcdArray.frozenFlags[i] = pLayer->isFrozen();
        pLayer->setIsFrozen(false);
        pLayer->setIsOff(false);
        pLayer->setIsLocked(false);
        pLayer->close();
        ++i;
    }

    delete pLayerIterator;
    return true;
}

bool RestoreLayerStates(AcDbDatabase* /*pDb*/, LayerStateSnapshot LayerRcdArray)
{
    for (int i = 0; i < LAYER_STATE_SLOTS; ++i) {
        AcDbObject* pObj = NULL;
        if (acdbOpenAcDbObject(pObj, LayerRcdArray.layerIds[i], AcDb::kForWrite, false) != Acad::eOk)
            continue;
        AcDbLayerTableRecord* pLayer = AcDbLayerTableRecord::cast(pObj);
        if (pLayer != NULL) {
            if (LayerRcdArray.offFlags[i])
                pLayer->setIsOff(true);
            if (LayerRcdArray.lockedFlags[i])
                pLayer->setIsLocked(true);
            if (LayerRcdArray.frozenFlags[i])
                pLayer->setIsFrozen(true);
        }
        pObj->close();
    }
    return true;
}

bool CaptureWorkingLayerStates(LayerStateSnapshot& LayerRcdArray)
{
    return CaptureLayerStates(acdbHostApplicationServices()->workingDatabase(), LayerRcdArray);
}

bool RestoreWorkingLayerStates(LayerStateSnapshot LayerRcdArray)
{
    return RestoreLayerStates(acdbHostApplicationServices()->workingDatabase(), LayerRcdArray);
}
