#include "tools/platform/files.h"

#include "emulator/fs/file_identity.h"

namespace vrk::platform {

// The emulator's file identity, which the host's save checks use too: one idea of "the same file".
std::optional<std::string> fileIdentity(const std::filesystem::path& path) {
    vrk::fs::FileIdentity identity;
    if (!vrk::fs::identifyFile(path.u8string(), identity)) return std::nullopt;
    return std::to_string(identity.device) + ":" + std::to_string(identity.inode);
}

}  // namespace vrk::platform
