#pragma once
// The lock a save holds on the file it replaces while it checks that file and puts the new one in place,
// so that of two saves of one file the second sees the first one's result.
//
// It is a lock on one byte far beyond any drawing's end, never on the content: readers are not held up,
// and vrkbatch's own per-drawing lock (held while its host runs, which then saves under this one) does
// not conflict with it. On Linux vrkbatch uses flock() on the whole file, which never meets the
// open-file-description lock taken here; on Windows both are LockFileEx locks, on two different bytes.

#include <cstdint>
#include <string>

#include "save_target.h"

namespace vrk::dxf {

// The byte a save locks.
constexpr std::uint64_t kSaveLockOffset = 0x4000000000000000ull;
// The byte vrkbatch locks on Windows while a drawing's host runs.
constexpr std::uint64_t kBatchLockOffset = 0x4000000000000001ull;

class SaveLock {
public:
    SaveLock() = default;
    ~SaveLock();
    SaveLock(const SaveLock&) = delete;
    SaveLock& operator=(const SaveLock&) = delete;

    // Opens the file at path (its last part not followed as a link) and waits for the lock. False with
    // a reason when the file cannot be opened or locked; vanished is set when nothing is at path now.
    bool acquire(const std::string& path, std::string& reason, bool& vanished);
    // The locked file as it is now.
    const FileIdentity& locked() const { return locked_; }
    // True when path still leads to the locked file (another save may have replaced it while this one
    // waited for the lock).
    bool stillAt(const std::string& path) const;
    // The open locked file (a descriptor on POSIX, a HANDLE on Windows).
    std::intptr_t handle() const { return handle_; }

private:
    std::intptr_t handle_ = -1;
    FileIdentity locked_;
};

}  // namespace vrk::dxf
