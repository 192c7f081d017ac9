#pragma once
// Helpers shared by the file tests: what is written is plain bytes, the library knows no format.

#include <gtest/gtest.h>

#include <string>

#include "emulator/fs/atomic_file.h"
#include "tests/support/file_contents.h"
#include "tests/support/temp_folder.h"

namespace vrk::fs::testing {

using TempFolder = vrk::test::TempFolder;
using vrk::test::fileContents;
using vrk::test::writeFileContents;

// Line ends of both kinds and a zero byte: a save writes bytes exactly, in binary mode.
inline const std::string kContent = std::string("new contents\nsecond line\r\nzero: ") + '\0' + " end\n";

// bytes saved at target through saveAtomically.
inline bool save(const std::string& bytes, const std::string& target, SaveError& err,
                 const SaveFaults* faults = nullptr) {
    return saveAtomically(
        target, [&](Sink& sink, std::string&) { return sink.write(bytes.data(), bytes.size()); }, err, faults);
}

}  // namespace vrk::fs::testing
