// A file's bytes, whole, read and written in binary mode as the programs and the host do.
#pragma once

#include <fstream>
#include <sstream>
#include <string>

namespace vrk::test {

// The file's bytes; empty when it cannot be read.
inline std::string fileContents(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

// Makes the file hold exactly bytes.
inline void writeFileContents(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

}  // namespace vrk::test
