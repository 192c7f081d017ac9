// One batch at a time on a drawing: the batch locks the drawing's file while its host reads, works on
// and saves it, so that a second batch on the same folder skips it instead of saving over the first.
// The lock is advisory and taken only by batches: other programs, the hosts' own save lock included,
// are not hindered by it (flock on Linux, a named mutex per file on Windows).
#pragma once

#include <filesystem>
#include <string>

namespace vrk::batch {

class DrawingLock {
public:
    enum class State { Held, InUse, Failed };

    DrawingLock() = default;
    DrawingLock(const DrawingLock&) = delete;
    DrawingLock& operator=(const DrawingLock&) = delete;
    ~DrawingLock();

    // Locks the file behind path (links followed) without waiting: InUse when another run holds it,
    // Failed with the reason in error when the file cannot be opened.
    State acquire(const std::filesystem::path& path, std::string& error);

private:
#if defined(_WIN32)
    void* mHandle = nullptr;
#else
    int mFd = -1;
#endif
};

}  // namespace vrk::batch
