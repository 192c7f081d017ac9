#include "tools/platform/files.h"

#include <windows.h>

#include <algorithm>
#include <cctype>
#include <system_error>

namespace vrk::platform {

namespace fs = std::filesystem;

namespace {

bool hasPrefix(const std::wstring& name, const wchar_t* prefix) { return name.rfind(prefix, 0) == 0; }

}  // namespace

fs::path absoluteName(const fs::path& path) {
    const std::wstring name = path.native();
    if (name.empty() || hasPrefix(name, L"\\\\?\\") || hasPrefix(name, L"\\\\.\\")) return path;
    std::vector<wchar_t> full(name.size() + MAX_PATH + 1);
    for (;;) {
        const DWORD n = GetFullPathNameW(name.c_str(), static_cast<DWORD>(full.size()), full.data(), nullptr);
        if (n == 0) return path;
        if (n < full.size()) return fs::path(std::wstring(full.data(), n));
        full.resize(n + 1);
    }
}

fs::path systemName(const fs::path& path) {
    const fs::path absolute = absoluteName(path);
    const std::wstring& name = absolute.native();
    if (name.size() < 240 || hasPrefix(name, L"\\\\?\\") || hasPrefix(name, L"\\\\.\\")) return path;
    if (hasPrefix(name, L"\\\\")) return fs::path(L"\\\\?\\UNC\\" + name.substr(2));
    return fs::path(L"\\\\?\\" + name);
}

bool readFolder(const fs::path& folder, std::vector<FolderEntry>& entries, std::string& error) {
    // FindFirstFileW takes \\?\ names, which the C library's directory calls do not.
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileExW((systemName(folder) / L"*").c_str(), FindExInfoBasic, &found,
                                     FindExSearchNameMatch, nullptr, 0);
    if (search == INVALID_HANDLE_VALUE) {
        const DWORD reason = GetLastError();
        if (reason == ERROR_FILE_NOT_FOUND) return true;
        error = std::system_category().message(static_cast<int>(reason));
        return false;
    }
    do {
        const std::wstring name = found.cFileName;
        if (name == L"." || name == L"..") continue;
        FolderEntry entry;
        entry.path = folder / name;
        const DWORD attributes = found.dwFileAttributes;
        const bool link = (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
        entry.folder = (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0 && !link;
        entry.file = link ? !isFolder(entry.path) && fileIdentity(entry.path).has_value()
                          : (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_DEVICE)) == 0;
        entries.push_back(entry);
    } while (FindNextFileW(search, &found));
    FindClose(search);
    return true;
}

bool isFolder(const fs::path& path) {
    const DWORD attributes = GetFileAttributesW(systemName(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

std::string nameKey(const fs::path& absolute) {
    std::string key = absolute.generic_u8string();
    if (key.rfind("//?/", 0) == 0) key.erase(0, 4);
    std::transform(key.begin(), key.end(), key.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return key;
}

}  // namespace vrk::platform
