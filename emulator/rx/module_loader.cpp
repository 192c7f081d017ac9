// Mapping modules and sending them the application messages, as the host's dynamic linker does.
#include <string>

#include "emulator/rx/services.h"
#include "emulator/text.h"

#if defined(_WIN32)
#include <windows.h>
#else
#include <dlfcn.h>
#endif

namespace vrk::emu {

typedef AcRx::AppRetCode (*EntryPoint)(AcRx::AppMsgCode, void*);

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

void* mapModule(const std::string& path, std::string& error) {
#if defined(_WIN32)
    HMODULE h = LoadLibraryW(utf8ToWide(path).c_str());
    if (h == nullptr) error = "cannot load " + path + " (error " + std::to_string(GetLastError()) + ")";
    return reinterpret_cast<void*>(h);
#else
    void* h = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (h == nullptr) error = dlerror();
    return h;
#endif
}

void* findExport(void* handle, const char* name) {
#if defined(_WIN32)
    return reinterpret_cast<void*>(GetProcAddress(reinterpret_cast<HMODULE>(handle), name));
#else
    return dlsym(handle, name);
#endif
}

void unmapModule(void* handle) {
#if defined(_WIN32)
    FreeLibrary(reinterpret_cast<HMODULE>(handle));
#else
    dlclose(handle);
#endif
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
