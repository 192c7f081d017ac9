#pragma once
// Mapping a module into the process and finding its exports, through the system's dynamic linker
// (module_mapping_posix.cpp: dlopen; module_mapping_windows.cpp: LoadLibraryW). Internal to the host.

#include <string>

namespace vrk::emu {

// The module at path (UTF-8), or nullptr with error saying why.
void* mapModule(const std::string& path, std::string& error);
// The address of an exported function, or nullptr.
void* findExport(void* handle, const char* name);
void unmapModule(void* handle);

}  // namespace vrk::emu
