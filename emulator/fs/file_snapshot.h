#pragma once
// A file's bytes as they were when it was read, without copying them: a read-only mapping of the file
// held under a read lease. Before another program may open the file for writing or cut it short, the
// system breaks the lease; the break copies the mapped bytes into memory of this process's own, puts
// the copy where the mapping was and only then lets the other program go on. The bytes therefore
// never change under their reader, and a file cut short cannot fault the process. Where no lease can
// be had (a file of another user, a network file system, Windows) take() says no and the caller
// copies the file. Internal to emulator/fs (file_snapshot_posix.cpp, file_snapshot_windows.cpp).

#include <cstddef>
#include <memory>

namespace vrk::fs {

class FileSnapshot {
public:
    // The whole of the open regular file fd, size bytes (size > 0); null where it cannot be had this
    // way. fd stays the caller's.
    static std::unique_ptr<FileSnapshot> take(int fd, std::size_t size);
    ~FileSnapshot();
    FileSnapshot(const FileSnapshot&) = delete;
    FileSnapshot& operator=(const FileSnapshot&) = delete;

    const char* data() const { return mData; }
    std::size_t size() const { return mSize; }
    // False once the bytes may differ from the file read: the process could not answer the lease break
    // in the system's time (it was stopped) and the other program changed the file first.
    bool intact() const;

private:
    FileSnapshot(const char* data, std::size_t size, int slot) : mData(data), mSize(size), mSlot(slot) {}
    const char* mData;
    std::size_t mSize;
    int mSlot;
};

}  // namespace vrk::fs
