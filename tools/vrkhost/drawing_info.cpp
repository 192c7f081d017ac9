#include "tools/vrkhost/drawing_info.h"

namespace vrk::host {

namespace {

struct Summary {
    int blocks = 0;
    int withDictionary = 0;
    int invisibleInBlocks = 0;
    int layers = 0;
    int layersOff = 0;
    int layersFrozen = 0;
    int layersLocked = 0;
};

void countInvisible(AcDbBlockTableRecord* pRecord, Summary& summary) {
    AcDbBlockTableRecordIterator* pIterator = nullptr;
    if (pRecord->newIterator(pIterator) != Acad::eOk) return;
    for (; !pIterator->done(); pIterator->step()) {
        AcDbEntity* pEnt = nullptr;
        if (pIterator->getEntity(pEnt, AcDb::kForRead) != Acad::eOk) continue;
        if (pEnt->visibility() == AcDb::kInvisible) ++summary.invisibleInBlocks;
        pEnt->close();
    }
    delete pIterator;
}

void countBlocks(AcDbDatabase* pDb, Summary& summary) {
    AcDbBlockTable* pTable = nullptr;
    if (pDb->getSymbolTable(pTable, AcDb::kForRead) != Acad::eOk) return;
    AcDbBlockTableIterator* pIterator = nullptr;
    if (pTable->newIterator(pIterator) == Acad::eOk) {
        for (; !pIterator->done(); pIterator->step()) {
            AcDbBlockTableRecord* pRecord = nullptr;
            if (pIterator->getRecord(pRecord, AcDb::kForRead) != Acad::eOk) continue;
            ++summary.blocks;
            if (!pRecord->extensionDictionary().isNull()) ++summary.withDictionary;
            countInvisible(pRecord, summary);
            pRecord->close();
        }
        delete pIterator;
    }
    pTable->close();
}

void countLayers(AcDbDatabase* pDb, Summary& summary) {
    AcDbLayerTable* pTable = nullptr;
    if (pDb->getSymbolTable(pTable, AcDb::kForRead) != Acad::eOk) return;
    AcDbLayerTableIterator* pIterator = nullptr;
    if (pTable->newIterator(pIterator) == Acad::eOk) {
        for (; !pIterator->done(); pIterator->step()) {
            AcDbLayerTableRecord* pLayer = nullptr;
            if (pIterator->getRecord(pLayer, AcDb::kForRead) != Acad::eOk) continue;
            ++summary.layers;
            summary.layersOff += pLayer->isOff();
            summary.layersFrozen += pLayer->isFrozen();
            summary.layersLocked += pLayer->isLocked();
            pLayer->close();
        }
        delete pIterator;
    }
    pTable->close();
}

}  // namespace

vrk::record::BlockCounts countBlockContent(AcDbDatabase* pDb) {
    Summary s;
    countBlocks(pDb, s);
    vrk::record::BlockCounts counts;
    counts.blocks = s.blocks;
    counts.withDictionary = s.withDictionary;
    counts.invisible = s.invisibleInBlocks;
    return counts;
}

std::string describeDrawing(AcDbDatabase* pDb) {
    Summary s;
    countBlocks(pDb, s);
    countLayers(pDb, s);
    return "Block definitions: " + std::to_string(s.blocks) +
           ", with an extension dictionary: " + std::to_string(s.withDictionary) +
           ", invisible entities in them: " + std::to_string(s.invisibleInBlocks) +
           "\nLayers: " + std::to_string(s.layers) + ", off: " + std::to_string(s.layersOff) +
           ", frozen: " + std::to_string(s.layersFrozen) + ", locked: " + std::to_string(s.layersLocked);
}

}  // namespace vrk::host
