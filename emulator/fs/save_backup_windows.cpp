#include "save_backup_platform.h"

#include "win_path.h"

namespace vrk::fs::backup {

Made linkTo(const SaveLock&, const std::string& path, const std::string& name, std::string& reason) {
    if (CreateHardLinkW(widePath(name).c_str(), widePath(path).c_str(), nullptr)) return Made::Yes;
    const DWORD e = GetLastError();
    if (e == ERROR_ALREADY_EXISTS || e == ERROR_FILE_EXISTS) return Made::Exists;
    reason = windowsError(e);
    return Made::CannotLink;
}

// Fails when name exists; a copy cut short by a killed process stays behind under name (Windows has
// no unnamed files).
Made copyTo(const SaveLock&, const std::string& path, const std::string& name, std::string& reason) {
    if (CopyFileW(widePath(path).c_str(), widePath(name).c_str(), TRUE)) return Made::Yes;
    const DWORD e = GetLastError();
    if (e == ERROR_ALREADY_EXISTS || e == ERROR_FILE_EXISTS) return Made::Exists;
    reason = windowsError(e);
    return Made::Failed;
}

bool isLockedFile(const SaveLock& lock, const std::string& name) {
    FileIdentity there;
    return identifyFile(name, there) && there.sameFileAs(lock.locked());
}

}  // namespace vrk::fs::backup
