#include "solidify/block_cleanup.h"

#include "util/locale_flag.h"

namespace {

const int kMeterThreshold = 1000;
const int kMeterMax = 100;

const ACHAR* ProgressMeterLabel()
{
#ifdef UNICODE
    static const ACHAR kChineseLabel[] = L"\x5904\x7406\x867D\x5757\xFF1A";
#else
    // Code page 936, handed over as these bytes whatever the system's ANSI code page.
    static const ACHAR kChineseLabel[] = "\xB4\xA6\xC0\xED\xCB\xE4\xBF\xE9\xA3\xBA";
#endif
    return ChineseLocaleFlag ? kChineseLabel : ACRX_T("DoByBlock:");
}

}  // namespace

bool HasDynamicBlockDictionary(const AcDbObject* pObj)
{
    AcDbObjectId extDictId = pObj->extensionDictionary();
    if (extDictId == AcDbObjectId::kNull)
        return false;

    AcDbDictionary* pExtDict = NULL;
    if (acdbOpenObject(pExtDict, extDictId, AcDb::kForRead) != Acad::eOk)
        return false;
    // The anonymous representation blocks of dynamic references carry an empty one.
    const bool isDynamic = pExtDict->has(ACRX_T("ACAD_ENHANCEDBLOCK")) || pExtDict->numEntries() == 0;
    pExtDict->close();
    return isDynamic;
}

bool EraseExtensionDictionary(AcDbObject* pObj)
{
    AcDbObjectId extDictId = pObj->extensionDictionary();
    if (extDictId == AcDbObjectId::kNull)
        return false;

    AcDbObject* extDict = NULL;
    if (acdbOpenAcDbObject(extDict, extDictId, AcDb::kForWrite, false, AcDbDictionary::desc()) == Acad::eOk) {
        extDict->erase(true);
        extDict->close();
    }
    pObj->releaseExtensionDictionary();
    return true;
}

bool EraseInvisibleEntities(AcDbBlockTableRecord* pBlockTableRecord)
{
    AcDbBlockTableRecordIterator* pBlockIterator = NULL;
    if (pBlockTableRecord->newIterator(pBlockIterator, true, true) != Acad::eOk)
        return false;

    // First pass: count, so that the meter knows its total before the work starts.
    int total = 0;
    for (; !pBlockIterator->done(); pBlockIterator->step(true, true))
        ++total;
    if (total < 1) {
        delete pBlockIterator;
        return false;
    }

    const bool showMeter = total > kMeterThreshold;
    if (showMeter)
        acedSetStatusBarProgressMeter(ProgressMeterLabel(), 0, kMeterMax);

    int processed = 0;
    int lastPosition = 0;
    bool erasedAnything = false;
    for (pBlockIterator->start(true, true); !pBlockIterator->done(); pBlockIterator->step(true, true)) {
        ++processed;
        // In 64 bits: processed * 100 would overflow for definitions of more than 21 million entities.
        int position = static_cast<int>(static_cast<Adesk::Int64>(processed) * kMeterMax / total);
        if (showMeter && position != lastPosition) {
            acedSetStatusBarProgressMeterPos(position);
            lastPosition = position;
        }

        AcDbEntity* pEnt = NULL;
        if (pBlockIterator->getEntity(pEnt, AcDb::kForWrite, false) != Acad::eOk) {
            delete pBlockIterator;
            acedRestoreStatusBar();
            return false;
        }
        if (pEnt->visibility() == AcDb::kInvisible) {
            pEnt->erase(true);
            erasedAnything = true;
        }
        pEnt->close();
    }

    delete pBlockIterator;
    acedRestoreStatusBar();
    return erasedAnything;
}
