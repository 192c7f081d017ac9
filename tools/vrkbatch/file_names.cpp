#include "tools/vrkbatch/file_names.h"

#include <algorithm>
#include <cctype>
#include <system_error>

namespace vrk::batch {

namespace fs = std::filesystem;

std::string nameIdentity(const fs::path& path) {
    if (const std::optional<std::string> file = fileIdentity(path)) return *file;
    const fs::path absolute = absoluteName(path);
    std::error_code ec;
    fs::path resolved = fs::weakly_canonical(systemName(absolute), ec);
    if (ec) resolved = absolute.lexically_normal();
    return "name:" + vrk::platform::nameKey(resolved);
}

fs::path backupOf(const fs::path& drawing) {
    fs::path backup = drawing;
    return backup.replace_extension(".bak");
}

bool hasExtension(const fs::path& path, const char* wanted) {
    std::string extension = path.extension().u8string();
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return extension == wanted;
}

}  // namespace vrk::batch
