#pragma once
// The backup a save makes of the file it replaces: a second name for that very file, made under the
// save's lock right before the new file is put in place, never over another file.

#include <string>

#include "save_lock.h"

namespace vrk::fs {

// Gives the locked file (found at path) the name backup: a hard link, or where links cannot be made a
// copy that appears whole. A backup that is already that file is kept. Any other file at backup is
// never replaced: false with a reason naming it, or with numbered the first free name among
// NAME.1.EXT, NAME.2.EXT, ... (the number before backup's last extension) is taken. made gets the name
// used.
bool makeBackup(const SaveLock& lock, const std::string& path, const std::string& backup, bool numbered,
                std::string& made, std::string& reason);

// backup with n before its last extension: plans/a.dxf.bak, 2 -> plans/a.dxf.2.bak.
std::string numberedBackupName(const std::string& backup, unsigned n);

}  // namespace vrk::fs
