// What a launcher needs of its tool's options: the whole command line checked exactly as the tool's
// host program will check it, and the release that picks that program. Each tool defines it in its
// options.cpp.
#pragma once

#include <optional>

namespace vrk::launcher {

// Returns nothing when the host program is to be started for release; otherwise the status to exit
// with (help was printed, or a usage error reported).
std::optional<int> checkToolCommandLine(int argc, char** argv, int& release);

}  // namespace vrk::launcher
