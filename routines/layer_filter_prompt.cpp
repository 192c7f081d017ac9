#include "routines/layer_filter_prompt.h"

namespace {

const int kInputSize = 133;

// True when the input and the name are the same text ignoring the case of single-byte letters.
// A double-byte character is one character: its bytes are compared as they are, so that a trail
// byte that happens to be a letter is never upper-cased and different characters never match.
bool MatchesLayerName(const ACHAR* string, const ACHAR* pName)
{
    const ACHAR* pIn = string;
    const ACHAR* pNm = pName;
    while (*pIn != 0) {
        if (_istlead((_TUCHAR)*pIn) && pIn[1] != 0) {
            if (pIn[0] != pNm[0] || pIn[1] != pNm[1])
                return false;
            pIn += 2;
            pNm += 2;
        } else {
            if (_totupper((_TUCHAR)*pIn) != _totupper((_TUCHAR)*pNm))
                return false;
            ++pIn;
            ++pNm;
        }
    }
    return *pNm == 0;
}

}  // namespace

int PromptLayerFilter(AcDbDatabase* pDb, AcDbLayerFilter* pFilter)
{
    if (pDb == NULL)
        return 0;

    AcDbLayerTable* pLayerTable = NULL;
    if (pDb->getSymbolTable(pLayerTable, AcDb::kForRead) != Acad::eOk)
        return 0;

    AcDbLayerTableIterator* pLayerIterator = NULL;
    if (pLayerTable->newIterator(pLayerIterator, true, true) != Acad::eOk) {
        pLayerTable->close();
        return 0;
    }
    pLayerTable->close();

    // Gathered once: layers made while the user picks are not offered.
    AcDbObjectIdArray layerId;
    for (; !pLayerIterator->done(); pLayerIterator->step(true, true)) {
        AcDbObjectId id;
        if (pLayerIterator->getRecordId(id) == Acad::eOk)
            layerId.append(id);
    }
    delete pLayerIterator;

    if (layerId.isEmpty())
        return 1;

    ACHAR string[kInputSize];
    for (;;) {
        string[0] = 0;
        if (acedGetString(1, ACRX_T("Enter layer (* for all) or [?]: "), string) != RTNORM)
            return 3;
        if (string[0] == 0)
            return 1;

        const bool listing = string[0] == ACRX_T('?');
        if (listing)
            acutPrintf(ACRX_T("Layers:\n"));
        else if (string[0] == ACRX_T('*'))
            return 0;

        bool found = false;
        for (int i = 0; i < layerId.length(); ++i) {
            AcDbLayerTableRecord* pLayer = NULL;
            if (acdbOpenObject(pLayer, layerId[i], AcDb::kForRead, false) != Acad::eOk)
                continue;
            const ACHAR* pName = NULL;
            if (pLayer->getName(pName) != Acad::eOk) {
                pLayer->close();
                continue;
            }
            if (listing) {
                acutPrintf(ACRX_T("  %s\n"), pName);
            } else if (MatchesLayerName(string, pName)) {
                pFilter->add(pName);
                acutPrintf(ACRX_T("Layer %s added to filter.\n"), pName);
                found = true;
            }
            pLayer->close();
        }

        if (!listing && !found)
            acutPrintf(ACRX_T("Layer not found.\n"));
    }
}
