// A folder of its own for one test, removed with everything in it afterwards.
#pragma once

#include <dirent.h>
#include <errno.h>
#include <stdlib.h>
#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <system_error>
#include <vector>

#if defined(_WIN32)
#include <windows.h>

#include <cstdio>
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
    // A folder that cannot be made fails the test (gtest reports the exception): a test never runs in,
    // nor removes, a folder it did not make.
    TempFolder() {
        std::error_code error;
        const std::filesystem::path base = std::filesystem::temp_directory_path(error);
        if (error) throw std::runtime_error("no temporary folder: " + error.message());
#if defined(_WIN32)
        // No mkdtemp: a new folder named after the process and a counter.
        static long counter = 0;
        for (int attempt = 0; attempt < 100 && mPath.empty(); ++attempt) {
            char name[64];
            std::snprintf(name, sizeof(name), "vrktest%lx-%lx", GetCurrentProcessId(), ++counter);
            if (std::filesystem::create_directory(base / name, error)) mPath = (base / name).generic_string();
        }
#else
        std::string pattern = (base / "vrktestXXXXXX").string();
        if (mkdtemp(pattern.data())) mPath = pattern;
        else error.assign(errno, std::generic_category());
#endif
        if (mPath.empty())
            throw std::runtime_error("cannot make a temporary folder in " + base.string() + ": " + error.message());
    }
    ~TempFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(mPath, ignored);
    }
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
