// How the batch names and tells apart the files it works on, the same way on Linux and on Windows
// (where a name may be drive-relative, end in a dot, use forward slashes, or be longer than 260 characters).
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace vrk::batch {

// The absolute name, as the system resolves it (on Windows: the drive's current folder, trailing dots
// and blanks dropped; a \\?\ name is kept as it is).
std::filesystem::path absoluteName(const std::filesystem::path& path);

// The name to give the system's file calls: on Windows a long absolute name in its \\?\ form, which the
// 260-character limit does not reach; elsewhere the name itself.
std::filesystem::path systemName(const std::filesystem::path& path);

// The file behind path, links followed: device and inode (volume and file index on Windows); nothing
// when it cannot be opened or examined.
std::optional<std::string> fileIdentity(const std::filesystem::path& path);

// What makes two names one: the file behind them where there is one, else the absolute name with its
// existing folders resolved (without case on Windows).
std::string nameIdentity(const std::filesystem::path& path);

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

// NAME.bak beside the drawing NAME.dxf, as the CAD program keeps it.
std::filesystem::path backupOf(const std::filesystem::path& drawing);

// Whether the name ends in extension (".dxf"), in any case.
bool hasExtension(const std::filesystem::path& path, const char* extension);

}  // namespace vrk::batch
