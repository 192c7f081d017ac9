// Mapping modules and sending them the application messages, as the host's dynamic linker does.
#include <cstdio>
#include <string>

#include "emulator/rx/module_mapping.h"
#include "emulator/rx/services.h"
#include "emulator/text.h"

namespace vrk::emu {

typedef AcRx::AppRetCode (*EntryPoint)(AcRx::AppMsgCode, void*);
typedef int (*ApiVersionQuery)();

struct LoadedModule {
    std::string path;
    void* handle = nullptr;
    EntryPoint entryPoint = nullptr;
};

namespace {
HostString& appName() {
    static HostString name;
    return name;
}

// 0x110000 as "17.0 (0x110000)".
std::string describeApiVersion(int version) {
    char text[48];
    std::snprintf(text, sizeof(text), "%d.%d (0x%x)", (version >> 16) & 0xff, (version >> 8) & 0xff,
                  static_cast<unsigned>(version));
    return text;
}

}  // namespace

void setLoadingModuleName(const std::string& utf8Path) { appName() = toHost(utf8Path); }

LoadedModule* loadModule(const std::string& path, std::string& error) {
    // The module learns its own path from the host (for its demand-load entries): it must be exact.
    HostString name;
    if (!toHostExactly(path, name)) {
        error = notInCodePage();
        return nullptr;
    }
    void* handle = mapModule(path, error);
    if (handle == nullptr) return nullptr;
    EntryPoint entryPoint = reinterpret_cast<EntryPoint>(findExport(handle, "acrxEntryPoint"));
    if (entryPoint == nullptr) {
        error = path + " has no acrxEntryPoint";
        unmapModule(handle);
        return nullptr;
    }
    // A module built for another host generation is refused before any of its code runs.
    ApiVersionQuery apiVersion = reinterpret_cast<ApiVersionQuery>(findExport(handle, "acrxGetApiVersion"));
    if (apiVersion == nullptr) {
        error = path + " has no acrxGetApiVersion";
        unmapModule(handle);
        return nullptr;
    }
    const int version = apiVersion();
    if (version != VRK_HOST_API_VERSION) {
        error = path + " is built for ObjectARX " + describeApiVersion(version) + ", this host takes " +
                describeApiVersion(VRK_HOST_API_VERSION);
        unmapModule(handle);
        return nullptr;
    }
    LoadedModule* pModule = new LoadedModule{path, handle, entryPoint};
    setLoadingModuleName(path);
    pModule->entryPoint(AcRx::kInitAppMsg, pModule);
    return pModule;
}

int sendMessage(LoadedModule* pModule, AcRx::AppMsgCode msg) { return pModule->entryPoint(msg, pModule); }

void unloadModule(LoadedModule* pModule) {
    if (pModule == nullptr) return;
    pModule->entryPoint(AcRx::kUnloadAppMsg, pModule);
    unmapModule(pModule->handle);
    delete pModule;
}

}  // namespace vrk::emu

const ACHAR* acedGetAppName() { return vrk::emu::appName().c_str(); }
