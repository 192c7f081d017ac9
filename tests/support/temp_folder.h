// A folder of its own for one test, removed with everything in it afterwards.
#pragma once

#include <dirent.h>
#include <stdlib.h>
#include <sys/stat.h>

#include <string>
#include <vector>

namespace vrk::test {

class TempFolder {
public:
    TempFolder() {
        char pattern[] = "/tmp/vrktestXXXXXX";
        mPath = mkdtemp(pattern) ? pattern : "/tmp";
    }
    ~TempFolder() { std::system(("rm -rf '" + mPath + "'").c_str()); }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::string& path() const { return mPath; }
    std::string file(const std::string& name) const { return mPath + "/" + name; }
    std::vector<std::string> entries() const {
        std::vector<std::string> names;
        if (DIR* dir = opendir(mPath.c_str())) {
            while (dirent* e = readdir(dir))
                if (std::string(e->d_name) != "." && std::string(e->d_name) != "..") names.push_back(e->d_name);
            closedir(dir);
        }
        return names;
    }
    static bool exists(const std::string& path) {
        struct stat st;
        return stat(path.c_str(), &st) == 0;
    }

private:
    std::string mPath;
};

}  // namespace vrk::test
