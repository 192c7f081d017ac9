// The editor: command line, system variables, status bar, command stack and demand loading.
#pragma once

#include "arx/rxobject.h"
#include "arx/windows_api.h"

// Result codes of the editor's functions.
#define RTNORM 5100
#define RTNONE 5000
#define RTERROR (-5001)
#define RTCAN (-5002)
#define RTREJ (-5003)
#define RTFAIL (-5004)
#define RTKWORD (-5005)

// Type codes of result buffers.
#define RTREAL 5001
#define RTPOINT 5002
#define RTSHORT 5003
#define RTANG 5004
#define RTSTR 5005
#define RTLONG 5010

typedef double ads_real;
typedef ads_real ads_point[3];

// The host's tagged value, chained through rbnext.
struct resbuf {
    struct resbuf* rbnext;
    short restype;
    union ads_u_val {
        ads_real rreal;
        ads_real rpoint[3];
        short rint;
        ACHAR* rstring;
        Adesk::Int32 rlong;
    } resval;
};

extern "C" {
// Prints on the command line; messages begin with a newline by the host's habit.
VRK_HOST_API int acutPrintf(const ACHAR* format, ...);
// Prompts for a line of text; cronly != 0 lets the text hold spaces.  result holds 133 characters.
VRK_HOST_API int acedGetString(int cronly, const ACHAR* prompt, ACHAR* result);
// A string value is allocated by the host; the caller releases it with acdbFree.
VRK_HOST_API int acedGetVar(const ACHAR* sym, struct resbuf* result);
VRK_HOST_API int acedSetVar(const ACHAR* sym, const struct resbuf* value);
VRK_HOST_API void acdbFree(void* p);
VRK_HOST_API void acutDelString(ACHAR*& pString);

VRK_HOST_API int acedSetStatusBarProgressMeter(const ACHAR* pszLabel, int nMinPos, int nMaxPos);
VRK_HOST_API int acedSetStatusBarProgressMeterPos(int nPos);
VRK_HOST_API void acedRestoreStatusBar();

// The file name under which the host is loading the current module.
VRK_HOST_API const ACHAR* acedGetAppName();
}

#define ACRX_CMD_MODAL 0x00000000
#define ACRX_CMD_TRANSPARENT 0x00000001

typedef void (*AcRxFunctionPtr)();
class AcEdUIContext;
class AcEdCommand;

// The host's command stack.  Its class record is not exported: look it up in the class dictionary.
class AcEdCommandStack : public AcRxObject {
public:
    // eDuplicateKey when the group already has a command of that global or local name.  Other groups
    // may have one: the group added last runs it.
    virtual Acad::ErrorStatus addCommand(const ACHAR* cmdGroupName, const ACHAR* cmdGlobalName,
                                         const ACHAR* cmdLocalName, Adesk::Int32 commandFlags,
                                         AcRxFunctionPtr FunctionAddr, AcEdUIContext* UIContext = NULL, int fcode = -1,
                                         HINSTANCE hResourceHandle = NULL, AcEdCommand** cmdPtrRet = NULL) = 0;
    virtual Acad::ErrorStatus removeGroup(const ACHAR* groupName) = 0;
};

namespace AcadApp {
enum LoadReasons {
    kOnProxyDetection = 0x01,
    kOnAutoCADStartup = 0x02,
    kOnCommandInvocation = 0x04,
    kOnLoadRequest = 0x08,
    kLoadDisabled = 0x10,
    kTransparentlyLoadable = 0x20
};
// The demand-load registry's results; the numbers checked against the listing named in acadstrc.h
// (its rxdlinkr.h).
enum ErrorStatus {
    eOk = 0,
    eInvalidKey = 1,
    eInvalidSubKey = 2,
    eKeyNotFound = 3,
    eOutOfMemory = 4,
    eInvalidValue = 5,
    eValueNotFound = 6,
    eKeyExists = 7,
    eRegAccessDenied = 8,
    eRejected = 9,
    eUnknownError = 10
};
}  // namespace AcadApp

class AcadAppInfoImp;

// The demand-load record of one application, written into the host's part of the registry.
class VRK_HOST_API AcadAppInfo {
public:
    AcadAppInfo();
    ~AcadAppInfo();
    void setAppName(const ACHAR* appName);
    void setModuleName(const ACHAR* moduleName);
    void setAppDesc(const ACHAR* appDesc);
    void setLoadReason(AcadApp::LoadReasons loadReason);
    AcadApp::ErrorStatus writeToRegistry(bool bForCurrentUserOnly = false, bool bOverwrite = false);
    AcadApp::ErrorStatus writeGroupNameToRegistry(const ACHAR* groupName);
    AcadApp::ErrorStatus writeCommandNameToRegistry(const ACHAR* globalCmdName, const ACHAR* localCmdName);

private:
    AcadAppInfo(const AcadAppInfo&);
    AcadAppInfo& operator=(const AcadAppInfo&);
    AcadAppInfoImp* mpImp;
};
