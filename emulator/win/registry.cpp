// RegOpenKeyEx, RegCreateKeyEx, RegQueryValueEx, RegSetValueEx and RegCloseKey over the in-memory
// registry.  The A forms convert names and string data through the ANSI code page, as Windows does.
#include <algorithm>
#include <cstring>
#include <cwchar>

#include "emulator/win/code_pages.h"
#include "emulator/win/registry_tree.h"

namespace vrk::win::detail {

bool isStringType(DWORD type) { return type == REG_SZ || type == REG_EXPAND_SZ || type == REG_MULTI_SZ; }

std::wstring foldName(const std::wstring& name) {
    std::wstring folded(name);
    for (wchar_t& c : folded) c = toUpper(c);
    return folded;
}

Roots makeRoots() {
    Roots roots;
    for (size_t i = 0; i < roots.size(); ++i) {
        roots[i] = std::make_unique<Key>();
        roots[i]->name = kRootNames[i];
    }
    return roots;
}

Registry& registry() {
    static Registry* instance = new Registry;  // never destroyed: stand-ins may run during exit
    return *instance;
}

}  // namespace vrk::win::detail

namespace {

using namespace vrk::win::detail;
using vrk::win::RegistryWrites;

constexpr REGSAM kWriteAccess = KEY_SET_VALUE | KEY_CREATE_SUB_KEY;

struct Target {
    Key* key = nullptr;
    REGSAM access = 0;
};

// The key a handle stands for; root handles have every right.
Target lookup(Registry& reg, HKEY hKey) {
    const auto value = reinterpret_cast<std::uintptr_t>(hKey);
    if (value >= 0x80000000u && value < 0x80000000u + reg.roots.size())
        return {reg.roots[value - 0x80000000u].get(), KEY_ALL_ACCESS};
    const auto it = reg.handles.find(value);
    if (it == reg.handles.end()) return {};
    return {it->second.key, it->second.access};
}

// Splits a subkey path at backslashes; a trailing backslash is allowed, other empty parts are not.
bool splitPath(const std::wstring& path, std::vector<std::wstring>& parts) {
    parts.clear();
    size_t start = 0;
    while (start < path.size()) {
        const size_t end = std::min(path.find(L'\\', start), path.size());
        if (end == start) return false;
        parts.push_back(path.substr(start, end - start));
        start = end + 1;
    }
    return true;
}

HKEY newHandle(Registry& reg, Key* key, REGSAM access) {
    const std::uintptr_t value = reg.nextHandle;
    reg.nextHandle += 4;
    reg.handles.emplace(value, OpenKey{key, access});
    return reinterpret_cast<HKEY>(value);
}

std::wstring widen(LPCSTR text) {
    if (!text) return std::wstring();
    return decode(resolveCodePage(CP_ACP), text, std::strlen(text)).text;
}

LONG openKey(HKEY hKey, const std::wstring& subKey, REGSAM samDesired, PHKEY phkResult) {
    if (!phkResult) return ERROR_INVALID_PARAMETER;
    *phkResult = nullptr;
    Registry& reg = registry();
    std::lock_guard<std::mutex> lock(reg.mutex);
    Target target = lookup(reg, hKey);
    if (!target.key) return ERROR_INVALID_HANDLE;
    std::vector<std::wstring> parts;
    if (!splitPath(subKey, parts)) return ERROR_FILE_NOT_FOUND;
    Key* key = target.key;
    for (const std::wstring& part : parts) {
        const auto it = key->subkeys.find(foldName(part));
        if (it == key->subkeys.end()) return ERROR_FILE_NOT_FOUND;
        key = it->second.get();
    }
    if ((samDesired & kWriteAccess) && reg.writes == RegistryWrites::refused) return ERROR_ACCESS_DENIED;
    *phkResult = newHandle(reg, key, samDesired);
    return ERROR_SUCCESS;
}

LONG createKey(HKEY hKey, const std::wstring& subKey, REGSAM samDesired, PHKEY phkResult, LPDWORD disposition) {
    if (!phkResult) return ERROR_INVALID_PARAMETER;
    *phkResult = nullptr;
    Registry& reg = registry();
    std::lock_guard<std::mutex> lock(reg.mutex);
    Target target = lookup(reg, hKey);
    if (!target.key) return ERROR_INVALID_HANDLE;
    std::vector<std::wstring> parts;
    if (!subKey.empty() && subKey[0] == L'\\') return ERROR_BAD_PATHNAME;
    if (!splitPath(subKey, parts)) return ERROR_BAD_PATHNAME;

    // Find how much of the path exists before creating anything, so a refusal leaves no trace.
    Key* key = target.key;
    size_t existing = 0;
    for (; existing < parts.size(); ++existing) {
        const auto it = key->subkeys.find(foldName(parts[existing]));
        if (it == key->subkeys.end()) break;
        key = it->second.get();
    }
    const bool creates = existing < parts.size();
    if (creates && !(target.access & KEY_CREATE_SUB_KEY)) return ERROR_ACCESS_DENIED;
    if ((creates || (samDesired & kWriteAccess)) && reg.writes == RegistryWrites::refused) return ERROR_ACCESS_DENIED;
    for (size_t i = existing; i < parts.size(); ++i) {
        auto child = std::make_unique<Key>();
        child->name = parts[i];
        Key* next = child.get();
        key->subkeys.emplace(foldName(parts[i]), std::move(child));
        key = next;
    }
    if (disposition) *disposition = creates ? REG_CREATED_NEW_KEY : REG_OPENED_EXISTING_KEY;
    *phkResult = newHandle(reg, key, samDesired);
    return ERROR_SUCCESS;
}

// Stored bytes of a value as the caller's form sees them.
std::vector<BYTE> presented(const Value& value, bool ansi) {
    if (!ansi || !isStringType(value.type)) return value.data;
    std::wstring units(value.data.size() / sizeof(wchar_t), L'\0');
    std::memcpy(units.data(), value.data.data(), units.size() * sizeof(wchar_t));
    const std::string bytes = encode(resolveCodePage(CP_ACP), units.data(), units.size(), nullptr).text;
    return std::vector<BYTE>(bytes.begin(), bytes.end());
}

LONG queryValue(HKEY hKey, const std::wstring& name, LPDWORD lpReserved, LPDWORD lpType, LPBYTE lpData,
                LPDWORD lpcbData, bool ansi) {
    if (lpReserved || (lpData && !lpcbData)) return ERROR_INVALID_PARAMETER;
    Registry& reg = registry();
    std::lock_guard<std::mutex> lock(reg.mutex);
    Target target = lookup(reg, hKey);
    if (!target.key) return ERROR_INVALID_HANDLE;
    if (!(target.access & KEY_QUERY_VALUE)) return ERROR_ACCESS_DENIED;
    const auto it = target.key->values.find(foldName(name));
    if (it == target.key->values.end()) return ERROR_FILE_NOT_FOUND;
    const std::vector<BYTE> data = presented(it->second, ansi);
    if (lpType) *lpType = it->second.type;
    if (!lpcbData) return ERROR_SUCCESS;
    const DWORD capacity = *lpcbData;
    *lpcbData = static_cast<DWORD>(data.size());
    if (!lpData) return ERROR_SUCCESS;
    if (data.size() > capacity) return ERROR_MORE_DATA;
    // As stored: no terminator is added to a string that was stored without one.
    if (!data.empty()) std::memcpy(lpData, data.data(), data.size());
    return ERROR_SUCCESS;
}

LONG setValue(HKEY hKey, const std::wstring& name, DWORD dwType, const BYTE* lpData, DWORD cbData, bool ansi) {
    if (!lpData && cbData) return ERROR_INVALID_PARAMETER;
    Registry& reg = registry();
    std::lock_guard<std::mutex> lock(reg.mutex);
    Target target = lookup(reg, hKey);
    if (!target.key) return ERROR_INVALID_HANDLE;
    if (!(target.access & KEY_SET_VALUE) || reg.writes != RegistryWrites::allowed) return ERROR_ACCESS_DENIED;
    Value value;
    value.name = name;
    value.type = dwType;
    if (ansi && isStringType(dwType)) {
        const std::wstring units =
            cbData ? decode(resolveCodePage(CP_ACP), reinterpret_cast<const char*>(lpData), cbData).text
                   : std::wstring();
        const BYTE* bytes = reinterpret_cast<const BYTE*>(units.data());
        value.data.assign(bytes, bytes + units.size() * sizeof(wchar_t));
    } else if (cbData) {
        value.data.assign(lpData, lpData + cbData);
    }
    const std::wstring folded = foldName(name);
    const auto it = target.key->values.find(folded);
    if (it != target.key->values.end()) value.name = it->second.name;  // the first spelling stays
    target.key->values[folded] = std::move(value);
    return ERROR_SUCCESS;
}

}  // namespace

extern "C" LONG RegOpenKeyExA(HKEY hKey, LPCSTR lpSubKey, DWORD, REGSAM samDesired, PHKEY phkResult) {
    return openKey(hKey, widen(lpSubKey), samDesired, phkResult);
}

extern "C" LONG RegOpenKeyExW(HKEY hKey, LPCWSTR lpSubKey, DWORD, REGSAM samDesired, PHKEY phkResult) {
    return openKey(hKey, lpSubKey ? lpSubKey : L"", samDesired, phkResult);
}

extern "C" LONG RegCreateKeyExA(HKEY hKey, LPCSTR lpSubKey, DWORD, LPSTR, DWORD, REGSAM samDesired,
                                LPSECURITY_ATTRIBUTES, PHKEY phkResult, LPDWORD lpdwDisposition) {
    return createKey(hKey, widen(lpSubKey), samDesired, phkResult, lpdwDisposition);
}

extern "C" LONG RegCreateKeyExW(HKEY hKey, LPCWSTR lpSubKey, DWORD, LPWSTR, DWORD, REGSAM samDesired,
                                LPSECURITY_ATTRIBUTES, PHKEY phkResult, LPDWORD lpdwDisposition) {
    return createKey(hKey, lpSubKey ? lpSubKey : L"", samDesired, phkResult, lpdwDisposition);
}

extern "C" LONG RegQueryValueExA(HKEY hKey, LPCSTR lpValueName, LPDWORD lpReserved, LPDWORD lpType, LPBYTE lpData,
                                 LPDWORD lpcbData) {
    return queryValue(hKey, widen(lpValueName), lpReserved, lpType, lpData, lpcbData, true);
}

extern "C" LONG RegQueryValueExW(HKEY hKey, LPCWSTR lpValueName, LPDWORD lpReserved, LPDWORD lpType, LPBYTE lpData,
                                 LPDWORD lpcbData) {
    return queryValue(hKey, lpValueName ? lpValueName : L"", lpReserved, lpType, lpData, lpcbData, false);
}

extern "C" LONG RegSetValueExA(HKEY hKey, LPCSTR lpValueName, DWORD, DWORD dwType, const BYTE* lpData, DWORD cbData) {
    return setValue(hKey, widen(lpValueName), dwType, lpData, cbData, true);
}

extern "C" LONG RegSetValueExW(HKEY hKey, LPCWSTR lpValueName, DWORD, DWORD dwType, const BYTE* lpData, DWORD cbData) {
    return setValue(hKey, lpValueName ? lpValueName : L"", dwType, lpData, cbData, false);
}

extern "C" LONG RegCloseKey(HKEY hKey) {
    Registry& reg = registry();
    std::lock_guard<std::mutex> lock(reg.mutex);
    const auto value = reinterpret_cast<std::uintptr_t>(hKey);
    if (value >= 0x80000000u && value < 0x80000000u + reg.roots.size()) return ERROR_SUCCESS;
    return reg.handles.erase(value) ? ERROR_SUCCESS : ERROR_INVALID_HANDLE;
}

namespace vrk::win {

void resetRegistry() {
    Registry& reg = registry();
    std::lock_guard<std::mutex> lock(reg.mutex);
    reg.roots = makeRoots();
    reg.handles.clear();
    reg.loadedText.clear();
}

void setRegistryWrites(RegistryWrites writes) {
    Registry& reg = registry();
    std::lock_guard<std::mutex> lock(reg.mutex);
    reg.writes = writes;
}

std::size_t openKeyCount() {
    Registry& reg = registry();
    std::lock_guard<std::mutex> lock(reg.mutex);
    return reg.handles.size();
}

}  // namespace vrk::win
