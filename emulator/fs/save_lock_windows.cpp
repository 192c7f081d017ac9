#include "save_lock.h"

#include <cwchar>

#include "win_path.h"

namespace vrk::fs {

SaveLock::~SaveLock() {
    if (mHandle == -1) return;
    HANDLE h = reinterpret_cast<HANDLE>(mHandle);
    ReleaseMutex(h);
    CloseHandle(h);
}

bool SaveLock::acquire(const std::string& path, std::string& reason, bool& vanished) {
    vanished = false;
    FileIdentity id;
    if (!identifyFile(path, id)) {
        const DWORD e = GetLastError();
        vanished = e == ERROR_FILE_NOT_FOUND || e == ERROR_PATH_NOT_FOUND;
        reason = windowsError(e);
        return false;
    }
    wchar_t name[64];
    swprintf(name, sizeof(name) / sizeof(name[0]), L"vrk-save-%llx-%llx", (unsigned long long)id.device,
             (unsigned long long)id.inode);
    HANDLE h = CreateMutexW(nullptr, FALSE, name);
    if (h == nullptr) {
        reason = "cannot lock it: " + windowsError(GetLastError());
        return false;
    }
    // An abandoned mutex was held by a save that died; the file is checked below either way.
    const DWORD waited = WaitForSingleObject(h, INFINITE);
    if (waited != WAIT_OBJECT_0 && waited != WAIT_ABANDONED) {
        reason = "cannot lock it: " + windowsError(GetLastError());
        CloseHandle(h);
        return false;
    }
    mHandle = reinterpret_cast<std::intptr_t>(h);
    FileIdentity now;
    mLocked = identifyFile(path, now) && now.sameFileAs(id) ? now : id;
    return true;
}

}  // namespace vrk::fs
