#include "file_identity.h"

#include <io.h>

#include "win_path.h"

namespace vrk::fs {

namespace {

FileIdentity identityOf(const BY_HANDLE_FILE_INFORMATION& info) {
    FileIdentity id;
    id.device = info.dwVolumeSerialNumber;
    id.inode = (std::uint64_t(info.nFileIndexHigh) << 32) | info.nFileIndexLow;
    id.size = (std::uint64_t(info.nFileSizeHigh) << 32) | info.nFileSizeLow;
    id.modified =
        std::int64_t((std::uint64_t(info.ftLastWriteTime.dwHighDateTime) << 32) | info.ftLastWriteTime.dwLowDateTime);
    return id;
}

bool identifyHandle(HANDLE h, FileIdentity& out) {
    BY_HANDLE_FILE_INFORMATION info{};
    if (h == INVALID_HANDLE_VALUE || !GetFileInformationByHandle(h, &info)) return false;
    out = identityOf(info);
    return true;
}

}  // namespace

bool identifyOpenFile(int fd, FileIdentity& out) {
    return identifyHandle(reinterpret_cast<HANDLE>(::_get_osfhandle(fd)), out);
}

bool identifyFile(const std::string& path, FileIdentity& out) {
    HANDLE h = queryHandle(widePath(path));
    if (h == INVALID_HANDLE_VALUE) return false;
    const bool ok = identifyHandle(h, out);
    const DWORD e = GetLastError();
    CloseHandle(h);
    SetLastError(e);
    return ok;
}

}  // namespace vrk::fs
