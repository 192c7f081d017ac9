#include "emulator/rx/module_mapping.h"

#include <windows.h>

#include "emulator/text.h"

namespace vrk::emu {

void* mapModule(const std::string& path, std::string& error) {
    HMODULE h = LoadLibraryW(utf8ToWide(path).c_str());
    if (h == nullptr) error = "cannot load " + path + " (error " + std::to_string(GetLastError()) + ")";
    return reinterpret_cast<void*>(h);
}

void* findExport(void* handle, const char* name) {
    return reinterpret_cast<void*>(GetProcAddress(reinterpret_cast<HMODULE>(handle), name));
}

void unmapModule(void* handle) { FreeLibrary(reinterpret_cast<HMODULE>(handle)); }

}  // namespace vrk::emu
