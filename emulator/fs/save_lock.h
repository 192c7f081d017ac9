#pragma once
// The lock a save holds on the file it replaces while it checks that file and puts the new one in place,
// so that of two saves of one file the second sees the first one's result.
//
// On Linux it is an open-file-description lock on one byte far beyond any drawing's end, never on the
// content: readers are not held up, and vrkbatch's own per-drawing lock (flock() on the whole file, held
// while its host runs, which then saves under this one) never meets it. On Windows a handle open on the
// file, even one shared for deleting, makes renaming over the file fail, so the lock is a named mutex
// per file (its volume and file index) instead of a byte lock on the file itself; vrkbatch's lock there is
// a mutex of another name.

#include <cstdint>
#include <string>

#include "file_identity.h"

namespace vrk::fs {

class SaveLock {
public:
    SaveLock() = default;
    ~SaveLock();
    SaveLock(const SaveLock&) = delete;
    SaveLock& operator=(const SaveLock&) = delete;

    // Waits for the lock on the file at path (on Linux its last part is not followed as a link); the
    // lock is released when this object goes. False with a reason when the file cannot be opened or
    // locked; vanished is set when nothing is at path now.
    bool acquire(const std::string& path, std::string& reason, bool& vanished);
    // The locked file as it is now.
    const FileIdentity& locked() const { return mLocked; }
    // True when path still leads to the locked file (another save may have replaced it while this one
    // waited for the lock).
    bool stillAt(const std::string& path) const {
        FileIdentity now;
        return identifyFile(path, now) && now.sameFileAs(mLocked);
    }
    // The open locked file (a descriptor, POSIX) or the mutex held (a HANDLE, Windows).
    std::intptr_t handle() const { return mHandle; }

private:
    std::intptr_t mHandle = -1;
    FileIdentity mLocked;
};

}  // namespace vrk::fs
