#pragma once
// Reading a whole file into memory, once. The bytes stay as they were read for as long as they are
// kept, whatever another program does to the file meanwhile (cutting it short cannot take the process
// down): where the system allows, they are the file's own pages, kept from change by a read lease
// (file_snapshot.h); elsewhere a copy.

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>

#include "file_identity.h"

namespace vrk::fs {

enum class ReadFailure {
    None,
    NotFound,    // no such file, or a part of the path is not a folder
    CannotRead,  // there but not readable: a folder, a device, no permission, an I/O error
};

class FileSnapshot;

class FileBytes {
public:
    FileBytes();
    FileBytes(FileBytes&&) noexcept;
    FileBytes& operator=(FileBytes&&) noexcept;
    ~FileBytes();

    static FileBytes copyOf(std::string_view bytes);

    const char* data() const { return mData; }  // "" when empty, never null
    std::size_t size() const { return mSize; }
    // Whether the bytes are the file's pages rather than a copy.
    bool mapped() const { return mpSnapshot != nullptr; }
    // False once they may no longer be the bytes read (file_snapshot.h); a copy always is.
    bool intact() const;

private:
    friend bool readWholeFile(const std::string&, FileBytes&, ReadFailure&, std::string&, FileIdentity*);
    // Memory of its own for size bytes, which the caller fills.
    char* allocateCopy(std::size_t size);
    std::unique_ptr<char[]> mCopy;
    std::unique_ptr<FileSnapshot> mpSnapshot;
    const char* mData = "";
    std::size_t mSize = 0;
};

// Reads the regular file at path (UTF-8) whole into out. False with failure and a reason that does not
// name the file (the caller does). identity, when given, gets the identity of the file read.
bool readWholeFile(const std::string& path, FileBytes& out, ReadFailure& failure, std::string& reason,
                   FileIdentity* identity = nullptr);

}  // namespace vrk::fs
