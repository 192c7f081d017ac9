// The file steps around a host's save: temporaries beside a target, the backup, the replacement.
#pragma once

#include <filesystem>
#include <string>

namespace vrk::batch {

// ".NAME.vrkbatch~" beside path: not a drawing's name, so never taken as an input.
std::filesystem::path temporaryBeside(const std::filesystem::path& path);

// Moves from over to in one step (the file system's rename, replacing to).
bool replaceFile(const std::filesystem::path& from, const std::filesystem::path& to, std::string& error);

// Keeps drawing as NAME.bak: a hard link (or, where there are none, a copy) made under a temporary
// name and renamed over any older backup, so that NAME.bak is at every moment a whole backup.
bool keepBackup(const std::filesystem::path& drawing, const std::filesystem::path& backup, std::string& error);

// Whether two files hold the same bytes.
bool sameBytes(const std::filesystem::path& a, const std::filesystem::path& b);

// Whether the drawing is marked read-only (its owner may not write it).
bool isReadOnly(const std::filesystem::path& path);

}  // namespace vrk::batch
