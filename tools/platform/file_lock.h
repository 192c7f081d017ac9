// An advisory lock on a file, taken only by our programs: other programs, the hosts' own save lock
// included, are not hindered by it (flock on Linux; on Windows a named mutex per file, since a handle held
// open on the file would make a rename over it fail). vrkbatch holds one on each drawing while its host
// works on it, so that a second batch skips the drawing instead of saving over the first.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>

namespace vrk::platform {

class FileLock {
public:
    enum class State { Held, InUse, Failed };

    FileLock() = default;
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;
    ~FileLock();

    // Locks the file behind path (links followed) without waiting: InUse when another run holds it,
    // Failed with the reason in error ("cannot open the drawing: ...", as vrkbatch reports it) when the
    // file cannot be opened or locked.
    State acquire(const std::filesystem::path& path, std::string& error);

private:
    std::intptr_t mHandle = -1;  // POSIX: the open file; Windows: the mutex's HANDLE
};

}  // namespace vrk::platform
