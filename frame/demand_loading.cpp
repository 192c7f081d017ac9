#include "frame/demand_loading.h"

#include "frame/command_table.h"

void RegisterDemandLoading()
{
    AcadAppInfo appInfo;
    appInfo.setAppName(ACRX_T("Varnikel"));
    appInfo.setModuleName(acedGetAppName());
    appInfo.setAppDesc(ACRX_T("Varnikel version 1.0"));
    appInfo.setLoadReason(AcadApp::LoadReasons(AcadApp::kOnProxyDetection | AcadApp::kOnCommandInvocation));

    // A registry that cannot be written must not stop the load: results are not examined.
    appInfo.writeToRegistry(false, false);
    appInfo.writeGroupNameToRegistry(VRK_COMMAND_GROUP);
    for (int i = 0; i < kCommandCount; ++i)
        appInfo.writeCommandNameToRegistry(kCommandTable[i].globalName, kCommandTable[i].localName);
}
