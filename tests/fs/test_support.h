#pragma once
// Helpers shared by the file tests: what is written is plain bytes, the library knows no format.

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>

#include "emulator/fs/atomic_file.h"
#include "tests/support/temp_folder.h"

namespace vrk::fs::testing {

using TempFolder = vrk::test::TempFolder;

// Line ends of both kinds and a zero byte: a save writes bytes exactly, in binary mode.
inline const std::string kContent = std::string("new contents\nsecond line\r\nzero: ") + '\0' + " end\n";

inline std::string slurp(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

inline void spit(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary);
    out << bytes;
}

// bytes saved at target through saveAtomically.
inline bool save(const std::string& bytes, const std::string& target, SaveError& err,
                 const SaveFaults* faults = nullptr) {
    return saveAtomically(
        target, [&](Sink& sink, std::string&) { return sink.write(bytes.data(), bytes.size()); }, err, faults);
}

}  // namespace vrk::fs::testing
