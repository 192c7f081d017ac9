// Runs one host program process: its standard output and error collected, standard input empty, stopped
// (with whatever it started) after a timeout or on request.
#pragma once

#include <atomic>
#include <filesystem>
#include <string>
#include <vector>

namespace vrk::batch {

struct HostRun {
    enum class End { Exited, Crashed, TimedOut, Stopped, NotStarted };
    End end = End::NotStarted;
    int status = 0;  // Exited: the exit status; Crashed: the signal (POSIX) or exception code (Windows)
    std::string out, err;
    std::string startError;  // NotStarted: why
};

// arguments are UTF-8. timeout in seconds, 0 for none; stop is polled a few times a second.
HostRun runHost(const std::filesystem::path& program, const std::vector<std::string>& arguments, double timeout,
                const std::atomic<bool>& stop);

// "killed by signal 11 (Segmentation fault)", "ended with exception 0xC0000005".
std::string describeCrash(int status);

}  // namespace vrk::batch
