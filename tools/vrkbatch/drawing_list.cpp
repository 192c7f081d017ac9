#include "tools/vrkbatch/drawing_list.h"

#include <algorithm>
#include <cctype>
#include <map>
#include <set>

#if !defined(_WIN32)
#include <sys/stat.h>
#endif

namespace vrk::batch {

namespace fs = std::filesystem;

namespace {

bool hasExtension(const fs::path& path, const char* wanted) {
    std::string extension = path.extension().u8string();
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return extension == wanted;
}

// What makes two names the same file: the device and inode where there are any (hard and symbolic
// links), else the canonical path.
std::string identityOf(const fs::path& path) {
#if !defined(_WIN32)
    struct stat st;
    if (stat(path.c_str(), &st) == 0) return std::to_string(st.st_dev) + ":" + std::to_string(st.st_ino);
#endif
    std::error_code ec;
    const fs::path canonical = fs::weakly_canonical(fs::absolute(path, ec), ec);
    std::string key = canonical.generic_u8string();
#if defined(_WIN32)
    std::transform(key.begin(), key.end(), key.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
#endif
    return key;
}

struct Found {
    fs::path source;
    fs::path relative;  // below the path it was found in: where its result goes under --out
    std::string error;  // a path that could not be read
};

// A folder's .dxf drawings, sorted, leaving out the output folder (which may lie inside it).
void scanFolder(const fs::path& folder, bool recursive, const std::string& outIdentity, std::vector<Found>& found) {
    std::vector<Found> drawings;
    std::error_code ec;
    const auto options = fs::directory_options::skip_permission_denied;
    auto consider = [&](const fs::directory_entry& entry, auto& iterator) {
        std::error_code entryError;
        if (entry.is_directory(entryError)) {
            if (!outIdentity.empty() && identityOf(entry.path()) == outIdentity) iterator.disable_recursion_pending();
            return;
        }
        if (entry.is_regular_file(entryError) && hasExtension(entry.path(), ".dxf"))
            drawings.push_back({entry.path(), entry.path().lexically_relative(folder), {}});
    };
    if (recursive) {
        fs::recursive_directory_iterator it(folder, options, ec), end;
        for (; !ec && it != end; it.increment(ec)) consider(*it, it);
    } else {
        fs::directory_iterator it(folder, options, ec), end;
        fs::recursive_directory_iterator unused;
        for (; !ec && it != end; it.increment(ec)) consider(*it, unused);
    }
    if (ec) found.push_back({folder, {}, "cannot read the folder: " + ec.message()});
    std::sort(drawings.begin(), drawings.end(), [](const Found& a, const Found& b) { return a.source < b.source; });
    found.insert(found.end(), drawings.begin(), drawings.end());
}

}  // namespace

fs::path backupOf(const fs::path& drawing) {
    fs::path backup = drawing;
    return backup.replace_extension(".bak");
}

std::vector<Drawing> listDrawings(const BatchOptions& options) {
    const fs::path outDir = fs::u8path(options.outDir);
    const std::string outIdentity = options.outDir.empty() ? std::string() : identityOf(outDir);
    std::vector<Found> found;
    for (const std::string& name : options.paths) {
        const fs::path path = fs::u8path(name);
        std::error_code ec;
        const fs::file_status status = fs::status(path, ec);
        if (fs::is_directory(status))
            scanFolder(path, options.recursive, outIdentity, found);
        else if (fs::exists(status))
            found.push_back({path, path.filename(), {}});
        else
            found.push_back({path, {}, ec ? ec.message() : "no such file or folder"});
    }

    std::vector<Drawing> drawings;
    std::map<std::string, fs::path> sources, targets, backups;
    for (const Found& f : found) {
        Drawing d;
        d.source = f.source;
        d.target = options.inPlace || options.outDir.empty() ? f.source : outDir / f.relative;
        const std::string identity = identityOf(f.source);
        if (!f.error.empty()) {
            d.skipReason = f.error;
        } else if (hasExtension(f.source, ".bak")) {
            d.skipped = true;
            d.skipReason = "a backup, not a drawing";
        } else if (sources.count(identity)) {
            d.skipped = true;
            d.skipReason = "the same drawing as " + sources[identity].u8string();
        } else if (!options.inPlace && !options.outDir.empty() && identityOf(d.target) == identity) {
            d.skipReason = "its result would replace it: --out names the drawing's own folder";
        } else if (!options.inPlace && !options.outDir.empty() && targets.count(identityOf(d.target))) {
            d.skipReason = "its result would replace the result of " + targets[identityOf(d.target)].u8string();
        } else if (options.inPlace && options.backup && backups.count(identityOf(backupOf(f.source)))) {
            d.skipReason = "its backup " + backupOf(f.source).u8string() + " would replace the backup of " +
                           backups[identityOf(backupOf(f.source))].u8string();
        }
        if (d.skipReason.empty()) {
            sources[identity] = f.source;
            targets[identityOf(d.target)] = f.source;
            if (options.inPlace && options.backup) backups[identityOf(backupOf(f.source))] = f.source;
        }
        drawings.push_back(d);
    }
    return drawings;
}

}  // namespace vrk::batch
