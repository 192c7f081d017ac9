#include "paths.h"

#include <cstring>

namespace vrk::fs {

namespace {

// The few differences are kept here side by side rather than in two files: they are three constants.
#ifdef _WIN32
const char kSeparators[] = "/\\";
// A folder ending in one of these takes a name without a separator: a root, or a drive (D: is drive
// D's current folder).
const char kFolderEnds[] = "/\\:";
const bool kDrives = true;
// Not '/': a \\?\ path is taken as written, without turning slashes into separators.
const char kJoin[] = "\\";
#else
const char kSeparators[] = "/";
const char kFolderEnds[] = "/";
const bool kDrives = false;
const char kJoin[] = "/";
#endif

}  // namespace

std::string folderOf(const std::string& path) {
    auto slash = path.find_last_of(kSeparators);
    // D:x.dxf is x.dxf in drive D's current folder.
    if (kDrives && slash == std::string::npos && path.size() > 2 && path[1] == ':') return path.substr(0, 2);
    if (slash == std::string::npos) return ".";
    std::string folder = path.substr(0, slash);
    // A root: "/", "C:\", "\\?\C:\".
    if (folder.empty() || std::strchr(kFolderEnds, folder.back()) != nullptr) folder = path.substr(0, slash + 1);
    return folder;
}

std::string inFolder(const std::string& folder, const std::string& name) {
    const char last = folder.empty() ? '/' : folder.back();
    if (std::strchr(kFolderEnds, last) != nullptr) return folder + name;
    return folder + kJoin + name;
}

std::string baseOf(const std::string& path) {
    auto slash = path.find_last_of(kSeparators);
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

}  // namespace vrk::fs
