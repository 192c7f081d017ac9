// The host program's --release and --lcid, with the host program's meaning, for programs that start it.
#pragma once

#include <optional>
#include <string>

#include <CLI/CLI.hpp>

namespace vrk::batch {

struct HostOptions {
    int release = 2008;                 // 2004-2006: R16 hosts (narrow text), 2007-2008: R17 (wide text)
    std::optional<unsigned long> lcid;  // system locale the host reports instead of the environment's
};

// Adds --release and --lcid to app, checked as the host program checks them.
void addHostOptions(CLI::App& app, HostOptions& options);

}  // namespace vrk::batch
