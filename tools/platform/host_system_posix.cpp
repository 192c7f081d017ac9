#include "tools/platform/host_system.h"

#include <unistd.h>

#include "emulator/win/win_control.h"

namespace vrk::platform {

bool useSystemLocale(unsigned long lcid, std::string&) {
    vrk::win::setSystemLcid(static_cast<LCID>(lcid));
    return true;
}

void noteShellFailures(std::function<void(const std::string&)> note) { vrk::win::setShellFailureSink(std::move(note)); }

bool loadRegistryFile(const std::string& path, std::string& error) {
    if (access(path.c_str(), F_OK) != 0) return true;
    std::string reason;
    if (vrk::win::loadRegistry(path, &reason)) return true;
    error = "cannot read the registry file " + path + ": " + reason;
    return false;
}

bool saveRegistryFile(const std::string& path, std::string& error) {
    std::string reason;
    if (vrk::win::saveRegistry(path, &reason)) return true;
    error =
        "cannot write the registry file " + path + ": " + reason + " (the demand-load entries of this run are lost)";
    return false;
}

}  // namespace vrk::platform
