#include "tools/platform/files.h"

#include <system_error>

namespace vrk::platform {

namespace fs = std::filesystem;

bool readFolder(const fs::path& folder, std::vector<FolderEntry>& entries, std::string& error) {
    std::error_code ec;
    fs::directory_iterator it(folder, ec), end;
    for (; !ec && it != end; it.increment(ec)) {
        std::error_code entryError;
        FolderEntry entry;
        entry.path = it->path();
        entry.folder = it->is_directory(entryError) && !it->is_symlink(entryError);
        entry.file = it->is_regular_file(entryError);
        entries.push_back(entry);
    }
    if (ec) error = ec.message();
    return !ec;
}

bool isFolder(const fs::path& path) {
    std::error_code ec;
    return fs::is_directory(path, ec);
}

fs::path absoluteName(const fs::path& path) {
    std::error_code ec;
    const fs::path absolute = fs::absolute(path, ec);
    return ec ? path : absolute;
}

fs::path systemName(const fs::path& path) { return path; }

std::string nameKey(const fs::path& absolute) { return absolute.generic_u8string(); }

}  // namespace vrk::platform
