// The exit statuses of vrkhost and vrkconvert: one table for both programs.
#pragma once

namespace vrk::options {

enum ExitStatus {
    kExitSuccess = 0,
    kExitCommandFailed = 1,  // vrkhost: a command failed or is unknown; vrkconvert: no status reported
    kExitUsage = 2,          // an unknown or repeated option, a bad value, a missing or extra argument
    kExitNotRead = 3,        // a drawing or the registry file could not be read, or a path is missing
    kExitNotWritten = 4,     // a drawing or the registry file could not be written
    kExitLeftOpen = 5,       // objects left open or iterators alive
    kExitNoModule = 6,       // vrkhost: the module could not be loaded
    kExitBadBlocks = 7,      // vrkconvert: the drawing's block definitions could not be walked
};

// The table as --help and README show it.
#define VRK_EXIT_STATUS_HELP                                                                      \
    "Exit status (the same for vrkhost and vrkconvert):\n"                                        \
    "  0  success\n"                                                                              \
    "  1  a command failed or is unknown (vrkhost); the conversion reported no status\n"          \
    "  2  usage error: an unknown or repeated option, a bad value, a missing or extra argument\n" \
    "  3  a drawing or the registry file could not be read, or a path is missing\n"               \
    "  4  a drawing or the registry file could not be written\n"                                  \
    "  5  objects left open or iterators alive after a command or the conversion\n"               \
    "  6  the module could not be loaded (vrkhost)\n"                                             \
    "  7  the drawing's block definitions could not be walked (vrkconvert)\n"

}  // namespace vrk::options
