#include "save_target.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <vector>

#include "refusals.h"

namespace vrk::fs {

bool resolveSaveTarget(const std::string& target, SaveTarget& out, std::string& reason) {
    out = SaveTarget{};
    out.path = target;
    struct stat st {};
    // Follow the links one by one, so that a link to a file not made yet names where to make it.
    for (int hops = 0;; ++hops) {
        if (::lstat(out.path.c_str(), &st) != 0) {
            if (errno == ENOENT) return true;
            reason = std::strerror(errno);
            return false;
        }
        if (!S_ISLNK(st.st_mode)) break;
        if (hops == 40) {
            reason = std::strerror(ELOOP);
            return false;
        }
        std::vector<char> link(std::size_t(st.st_size > 0 ? st.st_size : 255) + 1);
        const ssize_t n = ::readlink(out.path.c_str(), link.data(), link.size());
        if (n < 0 || std::size_t(n) >= link.size()) {
            reason = std::strerror(n < 0 ? errno : ENAMETOOLONG);
            return false;
        }
        const std::string to(link.data(), std::size_t(n));
        out.path = to[0] == '/' ? to : inFolder(folderOf(out.path), to);
    }
    if (S_ISDIR(st.st_mode)) {
        reason = kIsFolder;
        return false;
    }
    if (!S_ISREG(st.st_mode)) {
        reason = kIsSpecial;
        return false;
    }
    if (!(st.st_mode & S_IWUSR)) {
        reason = kIsReadOnly;
        return false;
    }
    out.exists = true;
    out.mode = unsigned(st.st_mode & 07777);
    out.owner = long(st.st_uid);
    out.group = long(st.st_gid);
    return true;
}

}  // namespace vrk::fs
