// How the host reaches the plug-in: the load and unload messages.
#pragma once

#include "arx/arx.h"

VRK_MODULE_EXPORT AcRx::AppRetCode acrxEntryPoint(AcRx::AppMsgCode msg, void* pkt);

// The load step: registers the commands, records the locale flag, sets DWGCHECK.
void InitApplication();
