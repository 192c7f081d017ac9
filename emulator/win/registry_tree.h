// The in-memory registry behind the Reg* stand-ins.  Internal to emulator/win.
#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <unordered_map>
#include <vector>

#include "emulator/win/win_control.h"

namespace vrk::win::detail {

// A value as Windows keeps it: string types hold wide units, as the W functions see them.
struct Value {
    std::wstring name;  // as first written
    DWORD type = REG_NONE;
    std::vector<BYTE> data;
};

struct Key {
    std::wstring name;  // as created
    // Both maps are keyed by the upper-cased name: registry names ignore case.
    std::map<std::wstring, std::unique_ptr<Key>> subkeys;
    std::map<std::wstring, Value> values;
};

bool isStringType(DWORD type);
std::wstring foldName(const std::wstring& name);

// Root keys in the order of their handle values (HKEY_CLASSES_ROOT first).
constexpr std::array<const wchar_t*, 4> kRootNames = {L"HKEY_CLASSES_ROOT", L"HKEY_CURRENT_USER", L"HKEY_LOCAL_MACHINE",
                                                      L"HKEY_USERS"};
using Roots = std::array<std::unique_ptr<Key>, kRootNames.size()>;
Roots makeRoots();

struct OpenKey {
    Key* key;
    REGSAM access;
};

struct Registry {
    std::mutex mutex;
    Roots roots = makeRoots();
    std::unordered_map<std::uintptr_t, OpenKey> handles;
    std::uintptr_t nextHandle = 0x1000;  // handle values are never reused
    RegistryWrites writes = RegistryWrites::allowed;
    std::string loadedText;  // the registry file as read, to tell this process's changes from others'
};

// The one registry of the process.
Registry& registry();

// Text form of the whole tree, and the tree read back from it (false on a malformed text).
std::string formatRegistry(const Roots& roots);
bool parseRegistry(const std::string& text, Roots& roots);

// The key at path ("HKEY_CURRENT_USER\\Software\\..."), created with its parents where missing; null
// for an unknown root or an empty name.
Key* createPath(Roots& roots, const std::wstring& path);

// The tree to write back: what mine changed since base, everything else as theirs has it.
Roots mergeRegistries(const Roots& base, const Roots& mine, const Roots& theirs);

}  // namespace vrk::win::detail
