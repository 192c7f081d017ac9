// Files and folders as the system names them: Windows names may be drive-relative, end in a dot, use
// forward slashes, or be longer than 260 characters, which its C library cannot reach.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace vrk::platform {

// The absolute name, as the system resolves it (on Windows: the drive's current folder, trailing dots
// and blanks dropped; a \\?\ name is kept as it is).
std::filesystem::path absoluteName(const std::filesystem::path& path);

// The name to give the system's file calls: on Windows a long absolute name in its \\?\ form, which the
// 260-character limit does not reach; elsewhere the name itself.
std::filesystem::path systemName(const std::filesystem::path& path);

// The file behind path, links followed: device and inode (volume and file index on Windows); nothing
// when it cannot be opened or examined.
std::optional<std::string> fileIdentity(const std::filesystem::path& path);

struct FolderEntry {
    std::filesystem::path path;  // the folder's name joined with the entry's
    bool folder = false;         // a folder of its own (not a link to one), to descend into
    bool file = false;           // a regular file, also through a link
};

// The entries of folder; false with the reason in error when it cannot be read. On Windows also a
// folder whose name is longer than 260 characters.
bool readFolder(const std::filesystem::path& folder, std::vector<FolderEntry>& entries, std::string& error);

// Whether a folder is named (links followed).
bool isFolder(const std::filesystem::path& path);

// The text that tells absolute names apart as the system does: the generic UTF-8 form; on Windows without
// the \\?\ prefix and without case.
std::string nameKey(const std::filesystem::path& absolute);

}  // namespace vrk::platform
