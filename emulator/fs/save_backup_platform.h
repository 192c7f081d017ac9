#pragma once
// The two ways a backup is made, one source per platform (save_backup_posix.cpp,
// save_backup_windows.cpp). Internal to emulator/fs.

#include <string>

#include "save_lock.h"

namespace vrk::fs::backup {

enum class Made { Yes, Exists, CannotLink, Failed };

// A hard link named name to the locked file (found at path). Exists when name is taken; CannotLink
// when the file system or the rights allow no link there, Failed on any other error (reason set).
Made linkTo(const SaveLock& lock, const std::string& path, const std::string& name, std::string& reason);
// A copy of the file at path named name, never over a file already there (Exists).
Made copyTo(const SaveLock& lock, const std::string& path, const std::string& name, std::string& reason);
// True when name is the locked file itself (a backup made earlier).
bool isLockedFile(const SaveLock& lock, const std::string& name);

}  // namespace vrk::fs::backup
