#include "save_target.h"

#include <vector>

#include "refusals.h"
#include "win_path.h"

namespace vrk::fs {

bool resolveSaveTarget(const std::string& target, SaveTarget& out, std::string& reason) {
    out = SaveTarget{};
    out.path = target;
    const std::wstring wide = widePath(target);
    HANDLE h = queryHandle(wide);
    if (h == INVALID_HANDLE_VALUE) {
        const DWORD e = GetLastError();
        // Nothing there yet; a missing folder is found when the new file is made.
        if (e == ERROR_FILE_NOT_FOUND || e == ERROR_PATH_NOT_FOUND) return true;
        reason = windowsError(e);
        return false;
    }
    BY_HANDLE_FILE_INFORMATION info{};
    const bool known = GetFileType(h) == FILE_TYPE_DISK && GetFileInformationByHandle(h, &info) != 0;
    // A link (or junction) is replaced through the file it leads to.
    const DWORD attributes = GetFileAttributesW(wide.c_str());
    if (known && attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
        std::vector<wchar_t> final(32768);
        const DWORD n = GetFinalPathNameByHandleW(h, final.data(), DWORD(final.size()), FILE_NAME_NORMALIZED);
        if (n > 0 && n < final.size()) out.path = utf8Path(std::wstring(final.data(), n));
    }
    CloseHandle(h);
    if (!known) {
        reason = kIsSpecial;
        return false;
    }
    if (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
        reason = kIsFolder;
        return false;
    }
    if (info.dwFileAttributes & FILE_ATTRIBUTE_READONLY) {
        reason = kIsReadOnly;
        return false;
    }
    out.exists = true;
    out.attributes = unsigned(info.dwFileAttributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM));
    return true;
}

}  // namespace vrk::fs
