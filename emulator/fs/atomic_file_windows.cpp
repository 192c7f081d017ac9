#include <fcntl.h>
#include <io.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>

#include "atomic_save_parts.h"
#include "signal_cleanup.h"
#include "win_path.h"

namespace vrk::fs {

namespace save {

std::string temporaryName(const std::string& folder) {
    static unsigned counter = 0;
    char unique[32];
    std::snprintf(unique, sizeof(unique), "%lx%x%llx", GetCurrentProcessId(), ++counter,
                  (unsigned long long)GetTickCount64() & 0xFFFFF);
    return inFolder(folder, std::string(".vrk-") + unique);
}

bool moveInPlace(const std::string& temp, const std::string& target, bool replace, bool& exists, std::string& why) {
    const DWORD flags = MOVEFILE_WRITE_THROUGH | (replace ? MOVEFILE_REPLACE_EXISTING : 0);
    if (MoveFileExW(widePath(temp).c_str(), widePath(target).c_str(), flags)) return true;
    const DWORD e = GetLastError();
    exists = e == ERROR_ALREADY_EXISTS || e == ERROR_FILE_EXISTS;
    why = windowsError(e);
    return false;
}

}  // namespace save

using save::failWith;

bool saveAtomically(const std::string& target, const Produce& produce, SaveError& err, const SaveFaults* faults,
                    FileIdentity* saved, SaveChecks* checks) {
    SaveTarget place;
    if (!save::beginSave(target, err, checks, place)) return false;
    const std::string folder = folderOf(place.path);
    std::string temp;
    std::string cause;
    int fd = -1;
    for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
        temp = save::temporaryName(folder);
        // Open for deleting, so that a console Ctrl+C can remove it while it is written.
        HANDLE h = CreateFileW(widePath(temp).c_str(), GENERIC_WRITE | DELETE, FILE_SHARE_READ | FILE_SHARE_DELETE,
                               nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (h == INVALID_HANDLE_VALUE) {
            const DWORD e = GetLastError();
            cause = windowsError(e);
            if (e != ERROR_FILE_EXISTS && e != ERROR_ALREADY_EXISTS) break;
            continue;
        }
        fd = ::_open_osfhandle(reinterpret_cast<intptr_t>(h), _O_WRONLY | _O_BINARY);
        if (fd < 0) {
            cause = std::strerror(errno);
            CloseHandle(h);
            break;
        }
    }
    if (fd < 0) return failWith(err, SaveStatus::CannotCreate, "cannot create a file in " + folder + ": " + cause);
    RemoveOnSignal guard(temp);
    const std::wstring wideTemp = widePath(temp);
    auto abandon = [&](SaveStatus status, std::string reason) {
        ::_close(fd);
        ::_wunlink(wideTemp.c_str());
        return failWith(err, status, std::move(reason));
    };

    SaveError filled = save::fillAndFlush(fd, produce, faults);
    if (filled.status != SaveStatus::Ok) return abandon(filled.status, std::move(filled.reason));
    if (::_close(fd) != 0) {
        int e = errno;
        ::_wunlink(wideTemp.c_str());
        return failWith(err, SaveStatus::FlushFailed, std::string("cannot close: ") + std::strerror(e));
    }
    // A hidden or system file stays one.
    if (place.attributes != 0) SetFileAttributesW(wideTemp.c_str(), place.attributes);
    if (!save::putInPlace(temp, place, checks, faults, err)) {
        SetFileAttributesW(wideTemp.c_str(), FILE_ATTRIBUTE_NORMAL);
        ::_wunlink(wideTemp.c_str());
        return false;
    }
    // Asked after the move: the last write time may settle only when the file is closed.
    if (saved) identifyFile(place.path, *saved);
    return true;
}

}  // namespace vrk::fs
