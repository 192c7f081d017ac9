// The options that every program around the emulated host takes, parsed by CLI11: the host release
// to emulate and the system locale to report.
#pragma once

#include <optional>

#include <CLI/CLI.hpp>

namespace vrk::options {

struct HostOptions {
    int release = 2008;                 // 2004-2006: R16 hosts, narrow text; 2007-2008: R17, wide text
    std::optional<unsigned long> lcid;  // system locale to report instead of the environment's
};

// Adds --release, --lcid and --version to app (app's name is the program's). Bad values fail the parse;
// so does an option given twice.
void addHostOptions(CLI::App& app, HostOptions& options);

// True for the releases whose hosts are R16 (narrow text).
bool isR16Release(int release);

// Parses the command line with app. Returns nothing when the program is to go on; otherwise the status
// to exit with: 0 after printing usage for -h/--help, the usage error status after printing the reason
// to standard error.
std::optional<int> parseCommandLine(CLI::App& app, int argc, char** argv, const char* usage);

}  // namespace vrk::options
