#include "file_identity.h"

#include <sys/stat.h>

namespace vrk::fs {

namespace {

FileIdentity identityOf(const struct stat& st) {
    FileIdentity id;
    id.device = std::uint64_t(st.st_dev);
    id.inode = std::uint64_t(st.st_ino);
    id.size = std::uint64_t(st.st_size);
    id.modified = std::int64_t(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
    return id;
}

}  // namespace

bool identifyOpenFile(int fd, FileIdentity& out) {
    struct stat st {};
    if (::fstat(fd, &st) != 0) return false;
    out = identityOf(st);
    return true;
}

bool identifyFile(const std::string& path, FileIdentity& out) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) return false;
    out = identityOf(st);
    return true;
}

}  // namespace vrk::fs
