// Starting another program: in place of this one (the launchers), or with its output collected and a
// time limit (vrkbatch's hosts). Both start it through one function per platform
// (process_posix.cpp, process_windows.cpp).
#pragma once

#include <atomic>
#include <filesystem>
#include <string>
#include <vector>

namespace vrk::platform {

struct ProcessRun {
    enum class End { Exited, Crashed, TimedOut, Stopped, NotStarted };
    End end = End::NotStarted;
    int status = 0;  // Exited: the exit status; Crashed: the signal (POSIX) or exception code (Windows)
    std::string out, err;
    std::string startError;  // NotStarted: why
};

// Runs program with arguments (UTF-8, the program's own name not among them): standard input empty,
// standard output and error collected. It runs in a process group (POSIX) or job (Windows) of its own,
// so that stopping it stops whatever it started. timeout in seconds, 0 for none; stop is polled a few
// times a second. Stopped or timed out, it is asked to end (SIGTERM, Ctrl+Break on a console), which
// lets it remove what it was writing, and killed 2 s later.
ProcessRun runCaptured(const std::filesystem::path& program, const std::vector<std::string>& arguments, double timeout,
                       const std::atomic<bool>& stop);

// "was killed by signal 11 (Segmentation fault)", "ended with exception 0xC0000005".
std::string describeCrash(int status);

// Runs program with arguments (as above) on this program's standard streams and returns its exit status.
// On POSIX this process becomes it (exec), with glibc allowed to back large blocks by huge pages unless
// GLIBC_TUNABLES says otherwise: the programs started so are hosts that read large drawings. When it
// cannot start: error says why ("cannot start PROGRAM: reason") and the status is 127.
int runInPlace(const std::filesystem::path& program, const std::vector<std::string>& arguments, std::string& error);

}  // namespace vrk::platform
