// Demand-load entries, kept in the host's part of the Windows registry:
//   HKEY_CURRENT_USER\Software\VrkHost\<release>\Applications\<app>
//     DESCRIPTION (text), LOADER (module file), LOADCTRLS (load reasons)
//     Commands: one value per command, global name = local name
//     Groups: one value per command group, name = name
#include <string>

#include "emulator/host.h"
#include "emulator/calls/host_calls.h"
#include "emulator/text.h"
#include "arx/aced.h"

class AcadAppInfoImp {
public:
    std::string appName;
    std::string moduleName;
    std::string description;
    AcadApp::LoadReasons loadReason = AcadApp::kOnCommandInvocation;
};

namespace {

#if defined(UNICODE)
const wchar_t kHostArea[] = L"Software\\VrkHost\\R17.0\\Applications\\";
#else
const wchar_t kHostArea[] = L"Software\\VrkHost\\R16.0\\Applications\\";
#endif

AcadApp::ErrorStatus writeValue(const std::string& app, const wchar_t* subKey, const std::string& name, DWORD type,
                                const void* data, DWORD size) {
    std::wstring path = kHostArea + vrk::emu::utf8ToWide(app);
    if (subKey != nullptr) path += std::wstring(L"\\") + subKey;
    HKEY hKey = nullptr;
    DWORD disp = 0;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_WRITE, nullptr, &hKey,
                        &disp) != ERROR_SUCCESS)
        return AcadApp::eRegAccessDenied;
    const LONG rc =
        RegSetValueExW(hKey, vrk::emu::utf8ToWide(name).c_str(), 0, type, static_cast<const BYTE*>(data), size);
    RegCloseKey(hKey);
    return rc == ERROR_SUCCESS ? AcadApp::eOk : AcadApp::eRegAccessDenied;
}

AcadApp::ErrorStatus writeText(const std::string& app, const wchar_t* subKey, const std::string& name,
                               const std::string& text) {
    const std::wstring wide = vrk::emu::utf8ToWide(text);
    return writeValue(app, subKey, name, REG_SZ, wide.c_str(), static_cast<DWORD>((wide.size() + 1) * sizeof(wchar_t)));
}

std::vector<vrk::emu::DemandLoadWrite>& writes() {
    static std::vector<vrk::emu::DemandLoadWrite> recorded;
    return recorded;
}

}  // namespace

namespace vrk::emu {
const std::vector<DemandLoadWrite>& demandLoadWrites() { return writes(); }
void clearDemandLoadWrites() { writes().clear(); }
}  // namespace vrk::emu

AcadAppInfo::AcadAppInfo() : mpImp(new AcadAppInfoImp()) {}
AcadAppInfo::~AcadAppInfo() { delete mpImp; }
void AcadAppInfo::setAppName(const ACHAR* appName) { mpImp->appName = vrk::emu::fromHost(appName); }
void AcadAppInfo::setModuleName(const ACHAR* moduleName) { mpImp->moduleName = vrk::emu::fromHost(moduleName); }
void AcadAppInfo::setAppDesc(const ACHAR* appDesc) { mpImp->description = vrk::emu::fromHost(appDesc); }
void AcadAppInfo::setLoadReason(AcadApp::LoadReasons loadReason) { mpImp->loadReason = loadReason; }

AcadApp::ErrorStatus AcadAppInfo::writeToRegistry(bool bForCurrentUserOnly, bool bOverwrite) {
    vrk::emu::HostCalls::instance().note("AcadAppInfo::writeToRegistry");
    writes().push_back({mpImp->appName, bForCurrentUserOnly, bOverwrite});
    if (mpImp->appName.empty()) return AcadApp::eInvalidValue;
    AcadApp::ErrorStatus es = writeText(mpImp->appName, nullptr, "DESCRIPTION", mpImp->description);
    if (es == AcadApp::eOk) es = writeText(mpImp->appName, nullptr, "LOADER", mpImp->moduleName);
    if (es == AcadApp::eOk) {
        const DWORD reasons = static_cast<DWORD>(mpImp->loadReason);
        es = writeValue(mpImp->appName, nullptr, "LOADCTRLS", REG_DWORD, &reasons, sizeof(reasons));
    }
    return es;
}

AcadApp::ErrorStatus AcadAppInfo::writeGroupNameToRegistry(const ACHAR* groupName) {
    vrk::emu::HostCalls::instance().note("AcadAppInfo::writeGroupNameToRegistry");
    if (mpImp->appName.empty() || groupName == nullptr) return AcadApp::eInvalidValue;
    const std::string group = vrk::emu::fromHost(groupName);
    return writeText(mpImp->appName, L"Groups", group, group);
}

AcadApp::ErrorStatus AcadAppInfo::writeCommandNameToRegistry(const ACHAR* globalCmdName, const ACHAR* localCmdName) {
    vrk::emu::HostCalls::instance().note("AcadAppInfo::writeCommandNameToRegistry");
    if (mpImp->appName.empty() || globalCmdName == nullptr) return AcadApp::eInvalidValue;
    return writeText(mpImp->appName, L"Commands", vrk::emu::fromHost(globalCmdName),
                     vrk::emu::fromHost(localCmdName ? localCmdName : globalCmdName));
}
