#include "frame/entry_point.h"

#include "frame/command_table.h"
#include "frame/demand_loading.h"
#include "frame/host_services.h"
#include "util/locale_flag.h"

void InitApplication()
{
    acrxBuildClassHierarchy();

    // A command that cannot be added (a name its group already has) does not stop the load.
    for (int i = 0; i < kCommandCount; ++i) {
        AcEdCommandStack* pCommandStack = LookupCommandStack();
        if (pCommandStack != NULL)
            pCommandStack->addCommand(VRK_COMMAND_GROUP, kCommandTable[i].globalName, kCommandTable[i].localName,
                                      ACRX_CMD_MODAL, kCommandTable[i].handler, NULL, -1, NULL, NULL);
    }

    ChineseLocaleFlag = IsChineseSystemLocale();

    struct resbuf rbDWGCHECK;
    rbDWGCHECK.rbnext = NULL;
    rbDWGCHECK.restype = RTSHORT;
    rbDWGCHECK.resval.rint = 2;
    acedSetVar(ACRX_T("DWGCHECK"), &rbDWGCHECK);
}

AcRx::AppRetCode acrxEntryPoint(AcRx::AppMsgCode msg, void* pkt)
{
    switch (msg) {
    case AcRx::kInitAppMsg: {
        AcRxDynamicLinker* pLinker = LookupDynamicLinker();
        if (pLinker != NULL)
            pLinker->unlockApplication(pkt);
        pLinker = LookupDynamicLinker();
        if (pLinker != NULL)
            pLinker->registerAppMDIAware(pkt);
        InitApplication();
        RegisterDemandLoading();
        break;
    }
    case AcRx::kUnloadAppMsg: {
        AcEdCommandStack* pCommandStack = LookupCommandStack();
        if (pCommandStack != NULL)
            pCommandStack->removeGroup(VRK_COMMAND_GROUP);
        break;
    }
    default:
        break;
    }
    return AcRx::kRetOK;
}
