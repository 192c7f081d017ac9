// Everything the plug-in may call in its host.  The one switch between the hosts: built for the CAD
// program itself (VRK_ARX_SDK, README "Building for the CAD program"), the vendor SDK's own headers
// declare the host; otherwise the declarations beside this file, which the emulated host implements.
#pragma once

#if defined(VRK_ARX_SDK)
#include <windows.h>
#include <tchar.h>

#include "rxregsvc.h"
#include "rxdlinkr.h"
#include "rxdict.h"
#include "aced.h"
#include "adslib.h"
#include "acutads.h"
#include "acutmem.h"
#include "appinfo.h"
#include "dbmain.h"
#include "dbsymtb.h"
#include "dbents.h"
#include "dbdict.h"
#include "dbapserv.h"
#include "dblyfilt.h"

#include "frame/host/export.h"
#include "frame/host/text.h"
#include "frame/host/windows_api.h"
#else
#include "frame/host/aced.h"
#include "frame/host/dbdatabase.h"
#include "frame/host/dbmain.h"
#include "frame/host/dbsymtb.h"
#include "frame/host/rxobject.h"
#include "frame/host/text.h"
#include "frame/host/windows_api.h"
#endif
