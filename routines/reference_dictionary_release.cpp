#include "routines/reference_dictionary_release.h"

#include "routines/block_entity_walk.h"

void ReleaseReferenceExtensionDictionaries(AcDbDatabase* pDb, const ACHAR* blockName)
{
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
        // Exact classes only: a table is a block reference by descent, but not one to treat here.
        const bool isReference = pEnt->isA() == AcDbBlockReference::desc() || pEnt->isA() == AcDbMInsertBlock::desc();
        if (isReference && pEnt->extensionDictionary() != AcDbObjectId::kNull)
            pEnt->releaseExtensionDictionary();
        pEnt->close();
    }

    delete pBlockIterator;
    acedRestoreStatusBar();
}
