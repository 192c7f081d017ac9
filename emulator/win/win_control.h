// Control of the Linux stand-ins for the Windows API, for the emulated host and the tests.
// On Windows the real API is used and none of this exists.
#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <string>

#include "arx/windows_api.h"

namespace vrk::win {

// --- Registry -------------------------------------------------------------------------------------

// Empties every root key and invalidates every open key handle.
VRK_HOST_API void resetRegistry();

// Replaces the registry with the content of a file written by saveRegistry.  Open key handles are
// invalidated.  Returns false, leaving the registry as it was, if the file cannot be read or parsed
// (the reason in reason, when given).
VRK_HOST_API bool loadRegistry(const std::string& path, std::string* reason = nullptr);

// Writes the registry as text, merged under a lock with what other processes saved to the same file
// since this one loaded it: the keys and values this process changed are written as it holds them,
// all others as the file has them.  The text goes to a temporary file beside the target, which is
// then renamed over it, so a failed save leaves the old target (or none) and a reader never sees a
// half-written file.  Returns false on failure (the reason in reason, when given).
VRK_HOST_API bool saveRegistry(const std::string& path, std::string* reason = nullptr);

// What the registry lets callers change, to emulate a user without write access.
enum class RegistryWrites {
    allowed,
    refused,         // opening or creating a key for writing fails with ERROR_ACCESS_DENIED
    refusedOnStore,  // keys open for writing, but storing a value fails with ERROR_ACCESS_DENIED
};
VRK_HOST_API void setRegistryWrites(RegistryWrites writes);

// Number of key handles opened or created and not yet closed.
VRK_HOST_API std::size_t openKeyCount();

// --- System locale --------------------------------------------------------------------------------

// GetSystemDefaultLCID answers this instead of reading the environment, until cleared.
VRK_HOST_API void setSystemLcid(LCID lcid);
VRK_HOST_API void clearSystemLcid();

// --- Shell ----------------------------------------------------------------------------------------

// One ShellExecuteA/W call.  Narrow arguments are given converted from the ANSI code page; a null
// argument is an empty optional.
struct ShellExecuteCall {
    bool wide = false;  // ShellExecuteW rather than ShellExecuteA
    HWND hwnd = nullptr;
    std::optional<std::wstring> verb;
    std::optional<std::wstring> file;
    std::optional<std::wstring> parameters;
    std::optional<std::wstring> directory;
    int show = 0;
};
using ShellExecuteObserver = std::function<void(const ShellExecuteCall&)>;

// While an observer is set, ShellExecute calls it instead of starting anything and returns 33.
VRK_HOST_API void setShellExecuteObserver(ShellExecuteObserver observer);
VRK_HOST_API void clearShellExecuteObserver();

// Where ShellExecute says that nothing could open a file (where Windows would show a dialog): one
// line without its end. Without a sink the line goes to standard error.
VRK_HOST_API void setShellFailureSink(std::function<void(const std::string&)> sink);

}  // namespace vrk::win
