#include "tools/vrkbatch/drawing_job.h"

#include <chrono>
#include <cstdio>
#include <sstream>

#include "tools/vrkbatch/drawing_list.h"
#include "tools/vrkbatch/file_steps.h"
#include "tools/vrkbatch/host_process.h"

namespace vrk::batch {

namespace fs = std::filesystem;

namespace {

const char kCountsLine[] = "Block definitions: ";

std::string trimmed(const std::string& text) {
    const size_t start = text.find_first_not_of(" \t\r\n");
    if (start == std::string::npos) return std::string();
    return text.substr(start, text.find_last_not_of(" \t\r\n") - start + 1);
}

std::optional<BlockCounts> parseCounts(const std::string& line) {
    BlockCounts counts;
    long blocks = 0;
    if (std::sscanf(line.c_str(), "Block definitions: %ld, with an extension dictionary: %ld, invisible entities in them: %ld",
                    &blocks, &counts.withDictionary, &counts.invisible) != 3)
        return std::nullopt;
    return counts;
}

// The host printed INFO (two lines), what the commands printed, then INFO again.
void readHostOutput(const std::string& out, DrawingResult& result) {
    std::vector<std::string> lines;
    std::istringstream in(out);
    for (std::string line; std::getline(in, line);) lines.push_back(trimmed(line));
    size_t first = lines.size(), last = lines.size();
    for (size_t i = 0; i < lines.size(); ++i) {
        if (lines[i].rfind(kCountsLine, 0) != 0) continue;
        if (first == lines.size()) first = i;
        last = i;
    }
    if (first == lines.size() || last == first) return;
    result.before = parseCounts(lines[first]);
    result.after = parseCounts(lines[last]);
    for (size_t i = first + 2; i < last; ++i) {
        if (lines[i].empty()) continue;
        if (!result.message.empty()) result.message += ' ';
        result.message += lines[i];
    }
}

// What the host said about its failure: its standard error, else its last line of output.
std::string hostError(const HostRun& run) {
    std::string text = trimmed(run.err);
    if (text.empty()) {
        const std::string out = trimmed(run.out);
        text = out.substr(out.find_last_of('\n') == std::string::npos ? 0 : out.find_last_of('\n') + 1);
    }
    return "the host ended with status " + std::to_string(run.status) + (text.empty() ? "" : ": " + text);
}

std::vector<std::string> hostArguments(const fs::path& source, const fs::path& saveTo, const BatchOptions& options) {
    std::vector<std::string> args = {"--release", std::to_string(options.host.release)};
    if (options.host.lcid) args.insert(args.end(), {"--lcid", std::to_string(*options.host.lcid)});
    if (!options.module.empty()) args.insert(args.end(), {"--module", options.module});
    std::error_code ec;
    args.push_back(fs::absolute(source, ec).u8string());  // never taken for an option
    args.insert(args.end(), {"-c", "INFO"});
    for (const std::string& command : options.commands) args.insert(args.end(), {"-c", command});
    args.insert(args.end(), {"-c", "INFO"});
    if (!saveTo.empty()) args.insert(args.end(), {"-c", "SAVEAS \"" + fs::absolute(saveTo, ec).u8string() + "\""});
    return args;
}

// Runs the host; on success the result is in saveTo (unless a dry run) and the counts are read.
void runHostOn(const Drawing& drawing, const fs::path& saveTo, const BatchOptions& options, const fs::path& host,
               const std::atomic<bool>& stop, DrawingResult& result) {
    const HostRun run = runHost(host, hostArguments(drawing.source, saveTo, options), options.timeout, stop);
    readHostOutput(run.out, result);
    switch (run.end) {
        case HostRun::End::NotStarted:
            result.error = run.startError;
            return;
        case HostRun::End::Crashed:
            result.error = "the host " + describeCrash(run.status);
            return;
        case HostRun::End::TimedOut:
            result.outcome = Outcome::TimedOut;
            char text[64];
            std::snprintf(text, sizeof(text), "stopped after %g s", options.timeout);
            result.error = text;
            return;
        case HostRun::End::Stopped:
            result.outcome = Outcome::Interrupted;
            return;
        case HostRun::End::Exited:
            break;
    }
    if (run.status != 0) {
        result.error = hostError(run);
    } else if (!result.before || !result.after) {
        result.error = "the host printed no block counts";
    } else {
        result.outcome = *result.before == *result.after ? Outcome::NothingToDo : Outcome::Solidified;
    }
}

// Moves the saved result to its target; false with the reason in result.error.
bool placeResult(const Drawing& drawing, const fs::path& saved, const BatchOptions& options, DrawingResult& result) {
    std::error_code ec;
    if (!options.inPlace) {
        result.bytesAfter = fs::file_size(saved, ec);
        return replaceFile(saved, drawing.target, result.error);
    }
    // A drawing the commands left as it was keeps its file, and needs no backup.
    if (sameBytes(saved, drawing.source)) {
        result.bytesAfter = result.bytesBefore;
        fs::remove(saved, ec);
        return true;
    }
    result.bytesAfter = fs::file_size(saved, ec);
    fs::permissions(saved, fs::status(drawing.source, ec).permissions(), ec);
    if (options.backup && !keepBackup(drawing.source, backupOf(drawing.source), result.error)) return false;
    return replaceFile(saved, drawing.source, result.error);
}

}  // namespace

const char* outcomeName(Outcome outcome) {
    switch (outcome) {
        case Outcome::Solidified: return "solidified";
        case Outcome::NothingToDo: return "nothing to do";
        case Outcome::Failed: return "failed";
        case Outcome::TimedOut: return "timed out";
        case Outcome::Skipped: return "skipped";
        case Outcome::Interrupted: return "interrupted";
    }
    return "failed";
}

DrawingResult runDrawing(const Drawing& drawing, const BatchOptions& options, const fs::path& host,
                         const std::atomic<bool>& stop) {
    const auto start = std::chrono::steady_clock::now();
    DrawingResult result;
    auto finish = [&]() {
        result.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        return result;
    };
    if (!drawing.skipReason.empty()) {
        result.outcome = drawing.skipped ? Outcome::Skipped : Outcome::Failed;
        result.error = drawing.skipReason;
        return finish();
    }
    std::error_code ec;
    result.bytesBefore = fs::file_size(drawing.source, ec);
    if (ec) {
        result.bytesBefore.reset();
        result.error = "cannot read the drawing: " + ec.message();
        return finish();
    }
    if (options.inPlace && !options.dryRun && isReadOnly(drawing.source)) {
        result.error = "the drawing is read-only";
        return finish();
    }
    // The host saves beside the target under a temporary name; the result takes the target's name only
    // when everything succeeded, so that a failed drawing leaves no result behind.
    fs::path saveTo;
    if (!options.dryRun) {
        fs::create_directories(drawing.target.parent_path().empty() ? fs::path(".") : drawing.target.parent_path(), ec);
        if (ec) {
            result.error = "cannot make the folder " + drawing.target.parent_path().u8string() + ": " + ec.message();
            return finish();
        }
        saveTo = temporaryBeside(drawing.target);
    }
    runHostOn(drawing, saveTo, options, host, stop, result);
    const bool succeeded = result.outcome == Outcome::Solidified || result.outcome == Outcome::NothingToDo;
    if (succeeded && !saveTo.empty() && !placeResult(drawing, saveTo, options, result)) result.outcome = Outcome::Failed;
    if (!saveTo.empty()) fs::remove(saveTo, ec);
    return finish();
}

}  // namespace vrk::batch
