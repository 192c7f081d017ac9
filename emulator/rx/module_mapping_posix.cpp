#include "emulator/rx/module_mapping.h"

#include <dlfcn.h>

namespace vrk::emu {

void* mapModule(const std::string& path, std::string& error) {
    void* h = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (h == nullptr) error = dlerror();
    return h;
}

void* findExport(void* handle, const char* name) { return dlsym(handle, name); }

void unmapModule(void* handle) { dlclose(handle); }

}  // namespace vrk::emu
