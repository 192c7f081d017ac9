#pragma once
// Telling one file from another, and an unchanged file from one another program rewrote.

#include <cstdint>
#include <string>

namespace vrk::fs {

struct FileIdentity {
    std::uint64_t device = 0;
    std::uint64_t inode = 0;  // the file index on Windows
    std::uint64_t size = 0;
    std::int64_t modified = 0;  // modification time, in the file system's finest unit
    bool sameFileAs(const FileIdentity& o) const { return device == o.device && inode == o.inode; }
    bool operator==(const FileIdentity& o) const { return sameFileAs(o) && size == o.size && modified == o.modified; }
    bool operator!=(const FileIdentity& o) const { return !(*this == o); }
};

// The identity of the file path names (links followed); false when there is none (errno, or on
// Windows GetLastError, says why).
bool identifyFile(const std::string& path, FileIdentity& out);
// The identity of an open file (a C runtime descriptor); false when the system cannot say.
bool identifyOpenFile(int fd, FileIdentity& out);

}  // namespace vrk::fs
