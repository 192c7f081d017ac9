#pragma once
// Which file a save writes, and whether it may: a path is followed through its symbolic links to the
// file itself; a folder, a device, a pipe, a socket or a read-only file is never replaced.

#include <string>

#include "file_identity.h"
#include "paths.h"

namespace vrk::fs {

struct SaveTarget {
    std::string path;     // the file to write, links followed: the new file goes into its folder
    bool exists = false;  // a regular, writable file is there now
    unsigned mode = 0;    // its permission bits (POSIX)
    long owner = -1;      // its owner and group (POSIX), -1 when unknown
    long group = -1;
    unsigned attributes = 0;  // its hidden and system attributes (Windows), kept by the new file
};

// Follows target's links and checks what is there. True with out filled when the save may go ahead
// (also when nothing is there yet, or the folder is missing: making the file finds that); false with
// a reason that does not name the file ("it is a folder, ...") when it must not.
bool resolveSaveTarget(const std::string& target, SaveTarget& out, std::string& reason);

}  // namespace vrk::fs
