// The real-world drawings some tests run on. They live outside the repository: the folder comes from
// VRK_REALWORLD_DIR in the environment, else ../shared/realworld beside the source tree. Where there
// are none, those tests skip and say why.
#pragma once

#include <cstdlib>
#include <string>
#include <vector>

#include "tests/support/temp_folder.h"

namespace vrk::test {

inline std::string realworldFolder() {
    const char* chosen = std::getenv("VRK_REALWORLD_DIR");
    return chosen != nullptr && *chosen != '\0' ? chosen : VRK_SOURCE_DIR "/../shared/realworld";
}

// The drawings (*.dxf) in the folder, sorted, with their folder; none when it is absent.
inline std::vector<std::string> realworldDrawings() {
    std::vector<std::string> out;
    const std::string folder = realworldFolder();
    for (const std::string& n : folderEntries(folder))
        if (n.size() > 4 && n.compare(n.size() - 4, 4, ".dxf") == 0) out.push_back(folder + "/" + n);
    return out;
}

// The reason for GTEST_SKIP when a drawing (or any) is missing.
inline std::string noRealworldDrawing(const std::string& name = std::string()) {
    return "real-world drawings: " + (name.empty() ? std::string("none") : name + " is not") + " in " +
           realworldFolder() + " (set VRK_REALWORLD_DIR to the folder that has them)";
}

}  // namespace vrk::test

// Skips the test unless the named real-world drawing is there; gives its path.
#define VRK_REALWORLD_DRAWING(var, name)                                                   \
    const std::string var = vrk::test::realworldFolder() + "/" + (name);                  \
    if (!vrk::test::TempFolder::exists(var)) GTEST_SKIP() << vrk::test::noRealworldDrawing(name)
