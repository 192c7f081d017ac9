#include "save_target.h"

#include <cerrno>
#include <cstring>
#include <vector>
#ifdef _WIN32
#include <io.h>

#include "win_path.h"
#else
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace vrk::dxf {

namespace {

#ifdef _WIN32
const char kSeparators[] = "/\\";
// A folder ending in one of these takes a name without a separator: a root, or a drive (D: is drive
// D's current folder).
const char kFolderEnds[] = "/\\:";
#else
const char kSeparators[] = "/";
const char kFolderEnds[] = "/";
#endif

const char kFolder[] = "it is a folder, not a drawing file";
const char kSpecial[] = "it is not a regular file but a device, pipe or socket, and is left alone";
const char kReadOnly[] = "it is read-only; make it writable or save under another name";

}  // namespace

std::string folderOf(const std::string& path) {
    auto slash = path.find_last_of(kSeparators);
#ifdef _WIN32
    // D:x.dxf is x.dxf in drive D's current folder.
    if (slash == std::string::npos && path.size() > 2 && path[1] == ':') return path.substr(0, 2);
#endif
    if (slash == std::string::npos) return ".";
    std::string folder = path.substr(0, slash);
    // A root: "/", "C:\", "\\?\C:\".
    if (folder.empty() || std::strchr(kFolderEnds, folder.back()) != nullptr) folder = path.substr(0, slash + 1);
    return folder;
}

std::string inFolder(const std::string& folder, const std::string& name) {
    const char last = folder.empty() ? '/' : folder.back();
    if (std::strchr(kFolderEnds, last) != nullptr) return folder + name;
#ifdef _WIN32
    // Not '/': a \\?\ path is taken as written, without turning slashes into separators.
    return folder + "\\" + name;
#else
    return folder + "/" + name;
#endif
}

std::string baseOf(const std::string& path) {
    auto slash = path.find_last_of(kSeparators);
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

#ifdef _WIN32
namespace {

// A handle for asking about the file itself (links followed), without reading or sharing it.
HANDLE queryHandle(const std::wstring& path) {
    return CreateFileW(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                       OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
}

FileIdentity identityOf(const BY_HANDLE_FILE_INFORMATION& info) {
    FileIdentity id;
    id.device = info.dwVolumeSerialNumber;
    id.inode = (std::uint64_t(info.nFileIndexHigh) << 32) | info.nFileIndexLow;
    id.size = (std::uint64_t(info.nFileSizeHigh) << 32) | info.nFileSizeLow;
    id.modified = std::int64_t((std::uint64_t(info.ftLastWriteTime.dwHighDateTime) << 32) |
                               info.ftLastWriteTime.dwLowDateTime);
    return id;
}

}  // namespace

bool identifyOpenFile(int fd, FileIdentity& out) {
    return identifyHandle(reinterpret_cast<HANDLE>(::_get_osfhandle(fd)), out);
}

bool identifyHandle(void* handle, FileIdentity& out) {
    HANDLE h = static_cast<HANDLE>(handle);
    BY_HANDLE_FILE_INFORMATION info{};
    if (h == INVALID_HANDLE_VALUE || !GetFileInformationByHandle(h, &info)) return false;
    out = identityOf(info);
    return true;
}

bool identifyFile(const std::string& path, FileIdentity& out) {
    HANDLE h = queryHandle(widePath(path));
    if (h == INVALID_HANDLE_VALUE) return false;
    BY_HANDLE_FILE_INFORMATION info{};
    const bool ok = GetFileInformationByHandle(h, &info) != 0;
    CloseHandle(h);
    if (ok) out = identityOf(info);
    return ok;
}

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
        reason = kSpecial;
        return false;
    }
    if (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
        reason = kFolder;
        return false;
    }
    if (info.dwFileAttributes & FILE_ATTRIBUTE_READONLY) {
        reason = kReadOnly;
        return false;
    }
    out.exists = true;
    out.attributes = unsigned(info.dwFileAttributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM));
    return true;
}
#else
namespace {

FileIdentity identityOf(const struct stat& st) {
    FileIdentity id;
    id.device = std::uint64_t(st.st_dev);
    id.inode = std::uint64_t(st.st_ino);
    id.size = std::uint64_t(st.st_size);
    id.modified = std::int64_t(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
    return id;
}

}  // namespace

bool identifyOpenFile(int fd, FileIdentity& out) {
    struct stat st {};
    if (::fstat(fd, &st) != 0) return false;
    out = identityOf(st);
    return true;
}

bool identifyFile(const std::string& path, FileIdentity& out) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) return false;
    out = identityOf(st);
    return true;
}

bool resolveSaveTarget(const std::string& target, SaveTarget& out, std::string& reason) {
    out = SaveTarget{};
    out.path = target;
    struct stat st {};
    // Follow the links one by one, so that a link to a file not made yet names where to make it.
    for (int hops = 0;; ++hops) {
        if (::lstat(out.path.c_str(), &st) != 0) {
            if (errno == ENOENT) return true;
            reason = std::strerror(errno);
            return false;
        }
        if (!S_ISLNK(st.st_mode)) break;
        if (hops == 40) {
            reason = std::strerror(ELOOP);
            return false;
        }
        std::vector<char> link(std::size_t(st.st_size > 0 ? st.st_size : 255) + 1);
        const ssize_t n = ::readlink(out.path.c_str(), link.data(), link.size());
        if (n < 0 || std::size_t(n) >= link.size()) {
            reason = std::strerror(n < 0 ? errno : ENAMETOOLONG);
            return false;
        }
        const std::string to(link.data(), std::size_t(n));
        out.path = to[0] == '/' ? to : inFolder(folderOf(out.path), to);
    }
    if (S_ISDIR(st.st_mode)) {
        reason = kFolder;
        return false;
    }
    if (!S_ISREG(st.st_mode)) {
        reason = kSpecial;
        return false;
    }
    if (!(st.st_mode & S_IWUSR)) {
        reason = kReadOnly;
        return false;
    }
    out.exists = true;
    out.mode = unsigned(st.st_mode & 07777);
    out.owner = long(st.st_uid);
    out.group = long(st.st_gid);
    return true;
}
#endif

}  // namespace vrk::dxf
