#pragma once
// Reading a whole file into memory, once. The bytes are a copy, not a mapping of the file: another
// program cutting the file short while they are in use cannot take the process down.

#include <cstddef>
#include <memory>
#include <string>

#include "file_identity.h"

namespace vrk::fs {

struct FileBytes {
    std::unique_ptr<char[]> data;  // null for an empty file
    std::size_t size = 0;
};

enum class ReadFailure {
    None,
    NotFound,    // no such file, or a part of the path is not a folder
    CannotRead,  // there but not readable: a folder, a device, no permission, an I/O error
};

// Reads the regular file at path (UTF-8) whole into out. False with failure and a reason that does not
// name the file (the caller does). identity, when given, gets the identity of the file read.
bool readWholeFile(const std::string& path, FileBytes& out, ReadFailure& failure, std::string& reason,
                   FileIdentity* identity = nullptr);

}  // namespace vrk::fs
