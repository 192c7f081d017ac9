// Where this program is: the programs find what they start or load (host programs, modules) beside
// themselves, so that an installed tree can be moved.
#pragma once

#include <filesystem>

namespace vrk::platform {

// The folder of this program's file (links resolved on POSIX); "." when the system does not say.
std::filesystem::path ownFolder();

}  // namespace vrk::platform
