// The real-world drawings some tests run on. They live outside the repository: the ASCII ones in
// VRK_REALWORLD_DIR from the environment, else ../shared/realworld beside the source tree, the binary
// ones in VRK_REALWORLD_BINARY_DIR, else ../shared/realworld-binary. Where there are none, those tests
// skip and say why.
#pragma once

#include <cstdlib>
#include <string>
#include <vector>

#include "tests/support/temp_folder.h"

namespace vrk::test {

inline std::string folderFromEnvironment(const char* variable, const std::string& otherwise) {
    const char* chosen = std::getenv(variable);
    return chosen != nullptr && *chosen != '\0' ? chosen : otherwise;
}

inline std::string realworldFolder() {
    return folderFromEnvironment("VRK_REALWORLD_DIR", VRK_SOURCE_DIR "/../shared/realworld");
}

inline std::string realworldBinaryFolder() {
    return folderFromEnvironment("VRK_REALWORLD_BINARY_DIR", VRK_SOURCE_DIR "/../shared/realworld-binary");
}

// The drawings (*.dxf) in a folder, sorted, with their folder; none when it is absent.
inline std::vector<std::string> drawingsIn(const std::string& folder) {
    std::vector<std::string> out;
    for (const std::string& n : folderEntries(folder))
        if (n.size() > 4 && n.compare(n.size() - 4, 4, ".dxf") == 0) out.push_back(folder + "/" + n);
    return out;
}

inline std::vector<std::string> realworldBinaryDrawings() { return drawingsIn(realworldBinaryFolder()); }

// Every real drawing, ASCII and binary.
inline std::vector<std::string> realworldDrawings() {
    std::vector<std::string> out = drawingsIn(realworldFolder());
    for (const std::string& f : realworldBinaryDrawings()) out.push_back(f);
    return out;
}

// The bundled sample first, then every real drawing there is.
inline std::vector<std::string> sampleAndRealworldDrawings() {
    std::vector<std::string> files = realworldDrawings();
    files.insert(files.begin(), VRK_SOURCE_DIR "/samples/dynblocks.dxf");
    return files;
}

// The reason for GTEST_SKIP when a drawing (or any) is missing.
inline std::string noRealworldDrawing(const std::string& name = std::string()) {
    return "real-world drawings: " + (name.empty() ? std::string("none") : name + " is not") + " in " +
           realworldFolder() + " (set VRK_REALWORLD_DIR to the folder that has them)";
}

}  // namespace vrk::test

// Skips the test unless the named real-world drawing is there; gives its path.
#define VRK_REALWORLD_DRAWING(var, name)                                 \
    const std::string var = vrk::test::realworldFolder() + "/" + (name); \
    if (!vrk::test::TempFolder::exists(var)) GTEST_SKIP() << vrk::test::noRealworldDrawing(name)
