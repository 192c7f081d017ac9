// The command line of the host program.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace vrk::host {

struct Options {
    int release = 2008;
    std::string module;                 // empty: the release's deliverable beside the program
    std::optional<unsigned long> lcid;  // system locale to report instead of the environment's
    std::string registryFile;           // empty: the registry lives in memory
    std::vector<std::string> commands;  // empty: read command lines from standard input
    std::string drawing;                // empty: a new drawing
    bool help = false;
    bool version = false;
};

// Parses the arguments; on a usage error returns false with the reason in error.
bool parseOptions(int argc, char** argv, Options& options, std::string& error);

extern const char kUsage[];

}  // namespace vrk::host
