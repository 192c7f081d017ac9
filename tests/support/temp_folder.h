// A folder of its own for one test, removed with everything in it afterwards.
#pragma once

#include <dirent.h>
#include <stdlib.h>
#include <sys/stat.h>

#include <algorithm>
#include <string>
#include <vector>

#if defined(_WIN32)
#include <windows.h>

#include <cstdio>
#include <filesystem>
#endif

namespace vrk::test {

// The names in a folder, sorted, without "." and "..".
inline std::vector<std::string> folderEntries(const std::string& path) {
    std::vector<std::string> names;
    if (DIR* dir = opendir(path.c_str())) {
        while (dirent* e = readdir(dir))
            if (std::string(e->d_name) != "." && std::string(e->d_name) != "..") names.push_back(e->d_name);
        closedir(dir);
    }
    std::sort(names.begin(), names.end());
    return names;
}

class TempFolder {
public:
#if defined(_WIN32)
    // No mkdtemp: a new folder under the temporary folder, named after the process and a counter.
    TempFolder() {
        static long counter = 0;
        char temp[MAX_PATH + 1];
        if (GetTempPathA(sizeof(temp), temp) == 0) return;
        for (int attempt = 0; attempt < 100; ++attempt) {
            char name[64];
            std::snprintf(name, sizeof(name), "vrktest%lx-%lx", GetCurrentProcessId(), ++counter);
            std::string path = std::string(temp) + name;
            for (char& c : path)
                if (c == '\\') c = '/';
            if (CreateDirectoryA(path.c_str(), nullptr)) {
                mPath = path;
                return;
            }
        }
    }
    ~TempFolder() {
        std::error_code ignored;
        if (!mPath.empty()) std::filesystem::remove_all(mPath, ignored);
    }
#else
    TempFolder() {
        char pattern[] = "/tmp/vrktestXXXXXX";
        mPath = mkdtemp(pattern) ? pattern : "/tmp";
    }
    ~TempFolder() { std::system(("rm -rf '" + mPath + "'").c_str()); }
#endif
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::string& path() const { return mPath; }
    std::string file(const std::string& name) const { return mPath + "/" + name; }
    std::vector<std::string> entries() const { return folderEntries(mPath); }
    static bool exists(const std::string& path) {
        struct stat st;
        return stat(path.c_str(), &st) == 0;
    }

private:
    std::string mPath;
};

}  // namespace vrk::test
