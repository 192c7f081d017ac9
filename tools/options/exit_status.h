// The exit statuses of every program: one table, from which each program's --help prints its own rows
// and which README.md's table repeats (a test compares the two).
#pragma once

#include <string>

namespace vrk::options {

enum ExitStatus {
    kExitSuccess = 0,
    kExitFailed = 1,
    kExitUsage = 2,
    kExitNotRead = 3,
    kExitNotWritten = 4,
    kExitLeftOpen = 5,
    kExitNoModule = 6,
    kExitBadBlocks = 7,
    kExitNotStarted = 127,
    kExitInterrupted = 130,
};

// The programs, as bits: a row of the table says which programs return its status with its meaning.
enum Program : unsigned {
    kVrkhost = 1,     // vrkhost and the host programs it starts
    kVrkconvert = 2,  // vrkconvert and the host programs it starts
    kVrkbatch = 4,
};

struct ExitStatusRow {
    int status;
    const char* name;
    unsigned programs;
    const char* meaning;
};

inline constexpr ExitStatusRow kExitStatuses[] = {
    {kExitSuccess, "success", kVrkhost, "every command succeeded"},
    {kExitSuccess, "success", kVrkconvert, "TARGET was written"},
    {kExitSuccess, "success", kVrkbatch, "every drawing succeeded (nothing to do and skipped count as success)"},
    {kExitFailed, "failed", kVrkhost, "a command failed or is unknown"},
    {kExitFailed, "failed", kVrkconvert, "the conversion reported no status"},
    {kExitFailed, "failed", kVrkbatch,
     "a drawing failed or timed out, only DWG drawings were found, the --out folder could not be made or the "
     "report not written"},
    {kExitUsage, "usage", kVrkhost | kVrkconvert | kVrkbatch,
     "usage error: an unknown or repeated option, a bad value, a missing or extra argument"},
    {kExitNotRead, "not read", kVrkhost | kVrkconvert,
     "a drawing or the registry file could not be read, or a path is missing"},
    {kExitNotWritten, "not written", kVrkhost | kVrkconvert, "a drawing or the registry file could not be written"},
    {kExitLeftOpen, "left open", kVrkhost | kVrkconvert,
     "objects left open or iterators alive after a command or the conversion"},
    {kExitNoModule, "no module", kVrkhost, "the module could not be loaded"},
    {kExitBadBlocks, "bad blocks", kVrkconvert, "the drawing's block definitions could not be walked"},
    {kExitNotStarted, "not started", kVrkhost | kVrkconvert, "the host program of the release could not be started"},
    {kExitInterrupted, "interrupted", kVrkhost | kVrkconvert,
     "Windows: a console Ctrl+C or Ctrl+Break ended the program (a save in progress removed its temporary file "
     "first)"},
    {kExitInterrupted, "interrupted", kVrkbatch,
     "Ctrl-C, SIGTERM or SIGHUP: no more drawings were started, the running hosts were stopped (asked first, "
     "killed after 2 s) and the report holds the drawings that finished"},
};

// The rows of program as --help shows them: a heading, then one line per status.
std::string exitStatusHelp(Program program);

}  // namespace vrk::options
