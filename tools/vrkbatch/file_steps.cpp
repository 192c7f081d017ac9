#include "tools/vrkbatch/file_steps.h"

#include <algorithm>
#include <fstream>
#include <system_error>
#include <vector>

#if defined(_WIN32)
#include <windows.h>
#else
#include <cstdio>
#include <cstring>
#endif

namespace vrk::batch {

namespace fs = std::filesystem;

fs::path temporaryBeside(const fs::path& path) {
    return path.parent_path() / fs::u8path("." + path.filename().u8string() + ".vrkbatch~");
}

bool replaceFile(const fs::path& from, const fs::path& to, std::string& error) {
#if defined(_WIN32)
    if (MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) return true;
    error = "cannot rename " + from.u8string() + " to " + to.u8string() + ": " +
            std::system_category().message(static_cast<int>(GetLastError()));
#else
    if (std::rename(from.c_str(), to.c_str()) == 0) return true;
    error = "cannot rename " + from.u8string() + " to " + to.u8string() + ": " + std::strerror(errno);
#endif
    return false;
}

bool keepBackup(const fs::path& drawing, const fs::path& backup, std::string& error) {
    const fs::path temporary = temporaryBeside(backup);
    std::error_code ec;
    fs::remove(temporary, ec);
    fs::create_hard_link(drawing, temporary, ec);
    if (ec) {
        ec.clear();
        fs::copy_file(drawing, temporary, fs::copy_options::overwrite_existing, ec);
    }
    if (ec) {
        error = "cannot make the backup " + backup.u8string() + ": " + ec.message();
        fs::remove(temporary, ec);
        return false;
    }
    if (replaceFile(temporary, backup, error)) return true;
    fs::remove(temporary, ec);
    return false;
}

bool sameBytes(const fs::path& a, const fs::path& b) {
    std::error_code ec1, ec2;
    if (fs::file_size(a, ec1) != fs::file_size(b, ec2) || ec1 || ec2) return false;
    std::ifstream inA(a, std::ios::binary), inB(b, std::ios::binary);
    std::vector<char> bufferA(1 << 16), bufferB(1 << 16);
    while (inA && inB) {
        inA.read(bufferA.data(), static_cast<std::streamsize>(bufferA.size()));
        inB.read(bufferB.data(), static_cast<std::streamsize>(bufferB.size()));
        if (inA.gcount() != inB.gcount() ||
            !std::equal(bufferA.begin(), bufferA.begin() + inA.gcount(), bufferB.begin()))
            return false;
    }
    return inA.eof() && inB.eof();
}

bool isReadOnly(const fs::path& path) {
    std::error_code ec;
    const fs::perms perms = fs::status(path, ec).permissions();
    return !ec && (perms & fs::perms::owner_write) == fs::perms::none;
}

}  // namespace vrk::batch
