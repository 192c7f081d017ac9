// What the host programs ask of the Windows around the emulated host: on Linux the emulator's stand-ins
// (emulator/win), which report what they are told; on Windows the real system, which cannot be told.
// Only the host programs, which link the host library, have these (host_system_posix.cpp,
// host_system_windows.cpp).
#pragma once

#include <functional>
#include <string>

namespace vrk::platform {

// The system locale the host reports becomes lcid. Windows cannot change its locale, and the narrow
// host's text follows the system's ANSI code page: there lcid is taken when its code page is the
// system's (nothing the module sees differs then) and refused otherwise. False with the reason in error.
bool useSystemLocale(unsigned long lcid, std::string& error);

// A shell call that no program can serve (the help page with no browser) is told to note, where Windows
// would show a dialog. On Windows the system shows its own.
void noteShellFailures(std::function<void(const std::string&)> note);

// The registry kept in the file path: read at start (a missing file is an empty registry), written back
// at exit, merged with what other host programs wrote to it meanwhile. On Windows the real registry keeps
// itself and a file is refused. False with the reason in error.
bool loadRegistryFile(const std::string& path, std::string& error);
bool saveRegistryFile(const std::string& path, std::string& error);

}  // namespace vrk::platform
