// The command-line contract of every program: one parse, one way to report a usage error, one --help
// footer. A usage error is "<program>: <reason>" and "Try '<program> --help'." on standard error, with
// status 2; an option that takes one value or none may be given once.
#pragma once

#include <optional>
#include <string>

#include <CLI/CLI.hpp>

#include "tools/options/exit_status.h"

namespace vrk::options {

// Parses the command line with app (app's name is the program's). Returns nothing when the program is to
// go on; otherwise the status to exit with: 0 after printing usage, the footer and program's exit
// statuses for -h/--help (or the version for --version), the usage error status after reporting the
// reason.
std::optional<int> parseCommandLine(CLI::App& app, int argc, char** argv, const std::string& usage, Program program);

// Reports reason as a usage error of program name and returns the usage error status.
int reportUsageError(const std::string& name, const std::string& reason);

}  // namespace vrk::options
