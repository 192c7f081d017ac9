#include "save_backup.h"

#include "paths.h"
#include "save_backup_platform.h"

namespace vrk::fs {

using backup::Made;

std::string numberedBackupName(const std::string& backup, unsigned n) {
    const std::string base = baseOf(backup);
    const std::size_t dot = base.find_last_of('.');
    const std::string number = "." + std::to_string(n);
    if (dot == std::string::npos || dot == 0) return backup + number;
    const std::size_t at = backup.size() - base.size() + dot;
    return backup.substr(0, at) + number + backup.substr(at);
}

bool makeBackup(const SaveLock& lock, const std::string& path, const std::string& backup, bool numbered,
                std::string& made, std::string& reason) {
    for (unsigned n = 0; n < 10000; ++n) {
        const std::string name = n == 0 ? backup : numberedBackupName(backup, n);
        std::string why;
        Made result = backup::linkTo(lock, path, name, why);
        if (result == Made::CannotLink) result = backup::copyTo(lock, path, name, why);
        if (result == Made::Yes || (result == Made::Exists && backup::isLockedFile(lock, name))) {
            made = name;
            return true;
        }
        if (result == Made::Failed || result == Made::CannotLink) {
            reason = "cannot make the backup " + name + ": " + why + "; nothing was saved";
            return false;
        }
        if (!numbered) {
            reason = "the backup " + name + " exists and was not made by this run; nothing was saved";
            return false;
        }
    }
    reason = "no free name for a backup beside " + backup + "; nothing was saved";
    return false;
}

}  // namespace vrk::fs
