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
// (which may lie inside it). Links to folders are not followed, so that no walk goes round in a circle;
// sub-folders that cannot be read are passed by.
void scanFolder(const fs::path& folder, bool recursive, const std::string& outIdentity, std::vector<Found>& found) {
    std::vector<Found> drawings;
    std::vector<fs::path> pending = {folder};
    for (size_t next = 0; next < pending.size(); ++next) {
        std::vector<FolderEntry> entries;
        std::string error;
        if (!readFolder(pending[next], entries, error) && next == 0) {
            found.push_back({folder, {}, "cannot read the folder: " + error});
            return;
        }
        for (const FolderEntry& entry : entries) {
            const bool dwg = hasExtension(entry.path, ".dwg");
            if (entry.file && (dwg || hasExtension(entry.path, ".dxf")))
                drawings.push_back({entry.path, entry.path.lexically_relative(folder), {}, dwg});
            else if (entry.folder && recursive && (outIdentity.empty() || nameIdentity(entry.path) != outIdentity))
                pending.push_back(entry.path);
        }
    }
    std::sort(drawings.begin(), drawings.end(), [](const Found& a, const Found& b) { return a.source < b.source; });
    found.insert(found.end(), drawings.begin(), drawings.end());
}

// The system's reason why a named path cannot be taken (no such file, no permission, a name too long).
std::string whyMissing(const fs::path& path) {
    std::error_code ec;
    const bool exists = fs::exists(fs::status(systemName(path), ec));
    return ec ? ec.message() : exists ? "cannot be opened" : "no such file or folder";
}

std::vector<Found> findDrawings(const BatchOptions& options, const std::string& outIdentity) {
    std::vector<Found> found;
    for (const std::string& name : options.paths) {
        const fs::path path = fs::u8path(name);
        if (isFolder(path)) scanFolder(path, options.recursive, outIdentity, found);
        else if (fileIdentity(path)) found.push_back({path, path.filename(), {}, hasExtension(path, ".dwg")});
        else found.push_back({path, {}, whyMissing(path)});
    }
    return found;
}

}  // namespace

std::vector<Drawing> listDrawings(const BatchOptions& options) {
    const fs::path outDir = fs::u8path(options.outDir);
    const bool toOut = !options.inPlace && !options.outDir.empty();
    const std::vector<Found> found =
        findDrawings(options, options.outDir.empty() ? std::string() : nameIdentity(outDir));

    // Every input, to refuse any result that would land on one (also through a link or a second name).
    std::vector<std::string> identities;
    std::map<std::string, fs::path> inputs;
    for (const Found& f : found) {
        identities.push_back(nameIdentity(f.source));
        if (f.error.empty()) inputs.emplace(identities.back(), f.source);
    }

    // Numbered backups take a free name each, so two drawings' backups cannot meet.
    const bool keepsBackups = options.inPlace && options.backup && !options.numberedBackups;
    std::vector<Drawing> drawings;
    std::map<std::string, fs::path> sources, targets, backups;
    for (size_t i = 0; i < found.size(); ++i) {
        const Found& f = found[i];
        Drawing d;
        d.source = f.source;
        d.target = toOut ? outDir / f.relative : f.source;
        d.dwg = f.dwg;
        const std::string& identity = identities[i];
        const std::string targetIdentity = toOut ? nameIdentity(d.target) : identity;
        const std::string backupIdentity = keepsBackups ? nameIdentity(backupOf(f.source)) : std::string();
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
