// The command line of vrkconvert.
#pragma once

#include <optional>
#include <string>

#include "emulator/db/drawing_files.h"
#include "tools/options/host_options.h"

namespace vrk::convert {

struct Options {
    vrk::options::HostOptions host;
    std::string source;
    std::string target;
    bool quiet = false;  // no line saying what was written
    vrk::emu::SaveEncoding encoding = vrk::emu::SaveEncoding::AsRead;
};

// Parses the arguments; returns nothing to go on, or the status to exit with (help printed, or a
// usage error reported on standard error).
std::optional<int> parseOptions(int argc, char** argv, Options& options);

}  // namespace vrk::convert
