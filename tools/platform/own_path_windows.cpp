#include "tools/platform/own_path.h"

#include <windows.h>

#include <vector>

namespace vrk::platform {

std::filesystem::path ownFolder() {
    std::vector<wchar_t> self(32768);
    const DWORD n = GetModuleFileNameW(nullptr, self.data(), static_cast<DWORD>(self.size()));
    const std::filesystem::path path(std::wstring(self.data(), n));
    return n == 0 || !path.has_parent_path() ? std::filesystem::path(".") : path.parent_path();
}

}  // namespace vrk::platform
