#include "tools/platform/file_lock.h"

#include <windows.h>

#include <system_error>

#include "tools/platform/files.h"

namespace vrk::platform {

FileLock::~FileLock() {
    if (mHandle == -1) return;
    ReleaseMutex(reinterpret_cast<HANDLE>(mHandle));
    CloseHandle(reinterpret_cast<HANDLE>(mHandle));
}

FileLock::State FileLock::acquire(const std::filesystem::path& path, std::string& error) {
    const std::optional<std::string> identity = fileIdentity(path);
    if (!identity) {
        error = "cannot open the drawing: " + std::system_category().message(static_cast<int>(GetLastError()));
        return State::Failed;
    }
    const std::string name = "vrkbatch-drawing-" + *identity;
    HANDLE mutex = CreateMutexW(nullptr, FALSE, std::wstring(name.begin(), name.end()).c_str());
    if (mutex == nullptr) {
        error = "cannot lock the drawing: " + std::system_category().message(static_cast<int>(GetLastError()));
        return State::Failed;
    }
    // An abandoned mutex was held by a program that died: the file is free again.
    const DWORD waited = WaitForSingleObject(mutex, 0);
    if (waited == WAIT_OBJECT_0 || waited == WAIT_ABANDONED) {
        mHandle = reinterpret_cast<std::intptr_t>(mutex);
        return State::Held;
    }
    CloseHandle(mutex);
    if (waited == WAIT_TIMEOUT) return State::InUse;
    error = "cannot lock the drawing: " + std::system_category().message(static_cast<int>(GetLastError()));
    return State::Failed;
}

}  // namespace vrk::platform
