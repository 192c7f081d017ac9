#include "tools/vrkbatch/drawing_list.h"

#include <algorithm>
#include <map>
#include <set>

#include "tools/vrkbatch/file_names.h"

namespace vrk::batch {

namespace fs = std::filesystem;

namespace {

const char kDwgReason[] = "a DWG drawing: Varnikel reads DXF, save it as DXF first (see README, DWG drawings)";

struct Found {
    fs::path source;
    fs::path relative;  // below the path it was found in: where its result goes under --out
    std::string error;  // a path that could not be read
    bool dwg = false;
};

// A folder's .dxf drawings (and its .dwg ones, to be told about), sorted, leaving out the output folder
// (which may lie inside it).
void scanFolder(const fs::path& folder, bool recursive, const std::string& outIdentity, std::vector<Found>& found) {
    std::vector<Found> drawings;
    std::error_code ec;
    const fs::path walked = systemName(folder);
    const auto options = fs::directory_options::skip_permission_denied;
    // Whether to descend into entry, when it is a folder.
    auto consider = [&](const fs::directory_entry& entry) {
        std::error_code entryError;
        if (entry.is_directory(entryError)) return outIdentity.empty() || nameIdentity(entry.path()) != outIdentity;
        if (!entry.is_regular_file(entryError)) return false;
        const bool dwg = hasExtension(entry.path(), ".dwg");
        if (dwg || hasExtension(entry.path(), ".dxf"))
            drawings.push_back({entry.path(), entry.path().lexically_relative(walked), {}, dwg});
        return false;
    };
    if (recursive) {
        fs::recursive_directory_iterator it(walked, options, ec), end;
        for (; !ec && it != end; it.increment(ec))
            if (!consider(*it)) it.disable_recursion_pending();
    } else {
        fs::directory_iterator it(walked, options, ec), end;
        for (; !ec && it != end; it.increment(ec)) consider(*it);
    }
    if (ec) found.push_back({folder, {}, "cannot read the folder: " + ec.message()});
    std::sort(drawings.begin(), drawings.end(), [](const Found& a, const Found& b) { return a.source < b.source; });
    found.insert(found.end(), drawings.begin(), drawings.end());
}

std::vector<Found> findDrawings(const BatchOptions& options, const std::string& outIdentity) {
    std::vector<Found> found;
    for (const std::string& name : options.paths) {
        const fs::path path = fs::u8path(name);
        std::error_code ec;
        const fs::file_status status = fs::status(systemName(path), ec);
        if (fs::is_directory(status))
            scanFolder(path, options.recursive, outIdentity, found);
        else if (fs::exists(status))
            found.push_back({path, path.filename(), {}, hasExtension(path, ".dwg")});
        else
            found.push_back({path, {}, ec ? ec.message() : "no such file or folder"});
    }
    return found;
}

}  // namespace

std::vector<Drawing> listDrawings(const BatchOptions& options) {
    const fs::path outDir = fs::u8path(options.outDir);
    const bool toOut = !options.inPlace && !options.outDir.empty();
    const std::vector<Found> found = findDrawings(options, options.outDir.empty() ? std::string() : nameIdentity(outDir));

    // Every input, to refuse any result that would land on one (also through a link or a second name).
    std::map<std::string, fs::path> inputs;
    for (const Found& f : found)
        if (f.error.empty()) inputs.emplace(nameIdentity(f.source), f.source);

    // Numbered backups take a free name each, so two drawings' backups cannot meet.
    const bool keepsBackups = options.inPlace && options.backup && !options.numberedBackups;
    std::vector<Drawing> drawings;
    std::map<std::string, fs::path> sources, targets, backups;
    for (const Found& f : found) {
        Drawing d;
        d.source = f.source;
        d.target = toOut ? outDir / f.relative : f.source;
        d.dwg = f.dwg;
        const std::string identity = nameIdentity(f.source);
        const std::string targetIdentity = toOut ? nameIdentity(d.target) : identity;
        const std::string backupIdentity = nameIdentity(backupOf(f.source));
        if (!f.error.empty()) {
            d.skipReason = f.error;
        } else if (f.dwg) {
            d.skipped = true;
            d.skipReason = kDwgReason;
        } else if (hasExtension(f.source, ".bak")) {
            d.skipped = true;
            d.skipReason = "a backup, not a drawing";
        } else if (sources.count(identity)) {
            d.skipped = true;
            d.skipReason = "the same drawing as " + sources[identity].u8string();
        } else if (toOut && inputs.count(targetIdentity)) {
            d.skipReason = targetIdentity == identity
                               ? "its result would replace it: --out names the drawing's own folder"
                               : "its result " + d.target.u8string() + " would replace the input " +
                                     inputs[targetIdentity].u8string();
        } else if (toOut && targets.count(targetIdentity)) {
            d.skipReason = "its result would replace the result of " + targets[targetIdentity].u8string();
        } else if (keepsBackups && backups.count(backupIdentity)) {
            d.skipReason = "its backup " + backupOf(f.source).u8string() + " would replace the backup of " +
                           backups[backupIdentity].u8string();
        }
        if (d.skipReason.empty()) {
            sources[identity] = f.source;
            targets[targetIdentity] = f.source;
            if (keepsBackups) backups[backupIdentity] = f.source;
        }
        drawings.push_back(d);
    }
    return drawings;
}

}  // namespace vrk::batch
