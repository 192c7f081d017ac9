#pragma once
// Which file a save writes, and whether it may: a path is followed through its symbolic links to the
// file itself; a folder, a device, a pipe, a socket or a read-only file is never replaced.

#include <cstdint>
#include <string>

namespace vrk::dxf {

// Enough of a file's state to tell the same file from another one, and an unchanged file from one
// that another program rewrote.
struct FileIdentity {
    std::uint64_t device = 0;
    std::uint64_t inode = 0;  // the file index on Windows
    std::uint64_t size = 0;
    std::int64_t modified = 0;  // modification time, in the file system's finest unit
    bool sameFileAs(const FileIdentity& o) const { return device == o.device && inode == o.inode; }
    bool operator==(const FileIdentity& o) const {
        return sameFileAs(o) && size == o.size && modified == o.modified;
    }
    bool operator!=(const FileIdentity& o) const { return !(*this == o); }
};

// The identity of the file path names (links followed); false when there is none.
bool identifyFile(const std::string& path, FileIdentity& out);
// The identity of an open file.
bool identifyOpenFile(int fd, FileIdentity& out);
#ifdef _WIN32
bool identifyHandle(void* handle, FileIdentity& out);
#endif

struct SaveTarget {
    std::string path;     // the file to write, links followed: the new file goes into its folder
    bool exists = false;  // a regular, writable file is there now
    unsigned mode = 0;    // its permission bits (POSIX)
    long owner = -1;      // its owner and group (POSIX), -1 when unknown
    long group = -1;
    unsigned attributes = 0;  // its hidden and system attributes (Windows), kept by the new file
};

// Follows target's links and checks what is there. False with a reason ("it is a folder, ...") when
// the save must not go ahead.
bool resolveSaveTarget(const std::string& target, SaveTarget& out, std::string& reason);

// The folder part of a path ("." for none; a root keeps its separator: "/", "C:\\"; "D:" for the
// current folder of drive D) and the last part.
std::string folderOf(const std::string& path);
std::string baseOf(const std::string& path);
// name in folder, as folderOf gives it.
std::string inFolder(const std::string& folder, const std::string& name);

}  // namespace vrk::dxf
