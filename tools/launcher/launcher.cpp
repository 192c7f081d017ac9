// vrkhost and vrkconvert: start the host program of the generation that the release asked for belongs to
// (2004-2006: R16, narrow text; 2007-2008: R17, wide text), passing every argument on. The whole command
// line is checked first, by the parser the host program uses, so that a bad one starts nothing.
#include <cstdio>
#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

#include "tools/launcher/tool_command_line.h"
#include "tools/options/exit_status.h"
#include "tools/options/host_options.h"
#include "tools/platform/arguments.h"
#include "tools/platform/own_path.h"
#include "tools/platform/process.h"

#ifndef VRK_TOOL_NAME
#error "VRK_TOOL_NAME names the tool the launcher starts the host program of"
#endif
// Where an installed tree keeps the host programs, relative to the launcher's folder.
#ifndef VRK_PRIVATE_FROM_BIN
#define VRK_PRIVATE_FROM_BIN "."
#endif
#ifndef VRK_PROGRAM_SUFFIX
#define VRK_PROGRAM_SUFFIX ""
#endif

namespace {

namespace fs = std::filesystem;

// The host program: <tool>-<generation> beside this one (a build folder), or in the private folder of an
// installed tree, found relative to this program so that the tree can be moved. Found nowhere: the place
// of an installed tree, which the error then names.
fs::path hostProgram(const char* generation) {
    const fs::path folder = vrk::platform::ownFolder();
    const std::string name = VRK_TOOL_NAME "-" + std::string(generation) + VRK_PROGRAM_SUFFIX;
    std::error_code ec;
    if (fs::exists(folder / name, ec)) return folder / name;
    return (folder / VRK_PRIVATE_FROM_BIN / name).lexically_normal();
}

int launch(int argc, char** argv) {
    int release = 2008;
    if (const std::optional<int> status = vrk::launcher::checkToolCommandLine(argc, argv, release)) return *status;
    const fs::path program = hostProgram(vrk::options::isR16Release(release) ? "r16" : "r17");
    std::string error;
    const int status = vrk::platform::runInPlace(program, std::vector<std::string>(argv + 1, argv + argc), error);
    if (!error.empty()) std::fprintf(stderr, VRK_TOOL_NAME ": %s\n", error.c_str());
    return status;
}

}  // namespace

int main(int argc, char** argv) { return vrk::platform::runWithUtf8Arguments(argc, argv, launch); }
