// The command line of the host program.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "tools/options/host_options.h"

namespace vrk::host {

struct Options {
    vrk::options::HostOptions host;
    std::string module;                 // empty: the release's deliverable beside the program
    std::string registryFile;           // empty: the registry lives in memory
    std::vector<std::string> commands;  // empty: read command lines from standard input
    std::string drawing;                // empty: a new drawing
    bool quiet = false;                 // no line for each drawing saved
    // For vrkbatch: commands that open, save or quit refused; the record on standard output.
    bool batch = false;
    bool save = false;   // batch: save over the drawing after the commands, when they changed it
    std::string saveAs;  // batch: write the drawing there after the commands
    std::string backup;  // batch with save: the backup made of the drawing replaced
    bool numberedBackup = false;
};

// Parses the arguments; returns nothing to go on, or the status to exit with (help printed, or a
// usage error reported on standard error).
std::optional<int> parseOptions(int argc, char** argv, Options& options);

extern const char kUsage[];

}  // namespace vrk::host
