// A small tmpfs mounted for one test: a disk that really fills up, or a folder that really cannot be
// written (root ignores file modes, but not a read-only mount). Mounting needs CAP_SYS_ADMIN; where it
// is refused, mounted() is false and why() says so, for GTEST_SKIP.
#pragma once

#include <stdlib.h>
#include <unistd.h>
#if defined(__linux__)
#include <sys/mount.h>
#endif

#include <cerrno>
#include <cstring>
#include <string>
#include <vector>

#include "tests/support/temp_folder.h"

namespace vrk::test {

class SmallTmpfs {
public:
    explicit SmallTmpfs(unsigned kilobytes) {
#if !defined(__linux__)
        (void)kilobytes;
        mWhy = "no tmpfs on this system";
#else
        const std::string options = "size=" + std::to_string(kilobytes) + "k,mode=0755";
        if (::mount("tmpfs", mPath.c_str(), "tmpfs", MS_NOSUID | MS_NODEV, options.c_str()) == 0) mMounted = true;
        else mWhy = std::string("cannot mount a tmpfs: ") + std::strerror(errno);
#endif
    }
    ~SmallTmpfs() {
#if defined(__linux__)
        // The mount point itself goes with mFolder.
        if (mMounted) ::umount2(mPath.c_str(), MNT_DETACH);
#endif
    }
    SmallTmpfs(const SmallTmpfs&) = delete;
    SmallTmpfs& operator=(const SmallTmpfs&) = delete;

    bool mounted() const { return mMounted; }
    const std::string& why() const { return mWhy; }
    const std::string& path() const { return mPath; }
    std::string file(const std::string& name) const { return mPath + "/" + name; }

    // Remounts read-only; false (with why()) when refused.
    bool makeReadOnly() {
#if defined(__linux__)
        if (::mount(nullptr, mPath.c_str(), nullptr, MS_REMOUNT | MS_RDONLY | MS_NOSUID | MS_NODEV, nullptr) == 0)
            return true;
        mWhy = std::string("cannot remount read-only: ") + std::strerror(errno);
#endif
        return false;
    }

    std::vector<std::string> entries() const { return folderEntries(mPath); }

private:
    TempFolder mFolder;
    std::string mPath = mFolder.path();
    std::string mWhy;
    bool mMounted = false;
};

}  // namespace vrk::test
