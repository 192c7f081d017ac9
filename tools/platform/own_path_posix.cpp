#include "tools/platform/own_path.h"

#include <system_error>

namespace vrk::platform {

std::filesystem::path ownFolder() {
    std::error_code ec;
    const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", ec);
    return ec || !self.has_parent_path() ? std::filesystem::path(".") : self.parent_path();
}

}  // namespace vrk::platform
