// Everything the plug-in may call in its host.  The one switch between the hosts: built for the CAD
// program itself (VRK_ARX_SDK, README "Building for the CAD program"), the vendor SDK's own headers
// declare the host; otherwise the declarations beside this file, which the emulated host implements.
#pragma once

#if defined(VRK_ARX_SDK)
#include <windows.h>
#include <tchar.h>

// Angle brackets: a quoted "aced.h" would find the declarations beside this file first.
#include <rxregsvc.h>
#include <rxdlinkr.h>
#include <rxdict.h>
#include <aced.h>
#include <adslib.h>
#include <acutads.h>
#include <acutmem.h>
#include <appinfo.h>
#include <dbmain.h>
#include <dbsymtb.h>
#include <dbents.h>
#include <dbdict.h>
#include <dbapserv.h>
#include <dblyfilt.h>

#include "arx/export.h"
#include "arx/text.h"
#include "arx/windows_api.h"
#else
#include "arx/aced.h"
#include "arx/dbdatabase.h"
#include "arx/dbmain.h"
#include "arx/dbsymtb.h"
#include "arx/rxobject.h"
#include "arx/text.h"
#include "arx/windows_api.h"
#endif
