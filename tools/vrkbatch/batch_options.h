// The command line of the batch program.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "tools/options/host_options.h"

namespace vrk::batch {

struct BatchOptions {
    std::vector<std::string> paths;  // drawings and folders, as given (UTF-8)
    bool recursive = false;
    std::string outDir;    // results under this folder, or
    bool inPlace = false;  // each drawing replaced, the original kept as NAME.bak
    bool backup = true;
    bool numberedBackups = false;  // an existing NAME.bak kept, the backup under NAME.1.bak, NAME.2.bak, ...
    bool dryRun = false;
    std::vector<std::string> commands;  // host command lines run on each drawing before the save
    vrk::options::HostOptions host;
    std::string module;       // module for the hosts to load instead of the release's own
    std::string hostProgram;  // empty: vrkhost beside this program
    unsigned jobs = 0;        // 0: the number of cores
    double timeout = 0;       // seconds per drawing (finite, above 0), 0: none
    bool quiet = false;
    std::string report;  // .csv or .jsonl; empty: no report
};

// Parses the arguments; returns nothing to go on, or the status to exit with after help or a usage error
// (already printed).
std::optional<int> parseBatchOptions(int argc, char** argv, BatchOptions& options);

}  // namespace vrk::batch
