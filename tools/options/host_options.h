// The options that every program around the emulated host takes, parsed by CLI11: the host release
// to emulate and the system locale to report.
#pragma once

#include <optional>
#include <string>

#include <CLI/CLI.hpp>

namespace vrk::options {

struct HostOptions {
    int release = 2008;                 // 2004-2006: R16 hosts, narrow text; 2007-2008: R17, wide text
    std::optional<unsigned long> lcid;  // system locale to report instead of the environment's
};

// Adds --release, --lcid and --version to app (app's name is the program's). Bad values fail the parse;
// so does an option given twice.
void addHostOptions(CLI::App& app, HostOptions& options);

// Adds -q/--quiet, which makes the program say less on standard error (meaning: what it leaves out).
void addQuietFlag(CLI::App& app, bool& quiet, const std::string& meaning);

// True for the releases whose hosts are R16 (narrow text).
bool isR16Release(int release);

}  // namespace vrk::options
