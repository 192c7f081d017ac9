// The drawings the end-to-end tests run on: the bundled sample and the real-world drawings beside the
// repository, sorted.
#pragma once

#include <dirent.h>

#include <algorithm>
#include <string>
#include <vector>

namespace vrk::test {

inline std::vector<std::string> realDrawings() {
    std::vector<std::string> files = {std::string(VRK_SOURCE_DIR) + "/samples/dynblocks.dxf"};
    const std::string folder = std::string(VRK_SOURCE_DIR) + "/../shared/realworld";
    if (DIR* dir = opendir(folder.c_str())) {
        while (dirent* e = readdir(dir)) {
            const std::string name = e->d_name;
            if (name.size() > 4 && name.substr(name.size() - 4) == ".dxf") files.push_back(folder + "/" + name);
        }
        closedir(dir);
    }
    std::sort(files.begin(), files.end());
    return files;
}

}  // namespace vrk::test
