#include "tools/vrkbatch/drawing_job.h"

#include <chrono>
#include <cstdio>

#include "tools/platform/file_lock.h"
#include "tools/vrkbatch/file_names.h"
#include "tools/platform/process.h"

namespace vrk::batch {

namespace fs = std::filesystem;
using vrk::platform::ProcessRun;

namespace {

std::string trimmed(const std::string& text) {
    const size_t start = text.find_first_not_of(" \t\r\n");
    if (start == std::string::npos) return std::string();
    return text.substr(start, text.find_last_not_of(" \t\r\n") - start + 1);
}

// A host's message as one line of a row: its lines joined by a blank.
std::string oneLine(const std::string& text) {
    std::string line;
    for (char c : trimmed(text)) {
        if (c == '\r') continue;
        line += c == '\n' ? ' ' : c;
    }
    return line;
}

// The host in batch mode saves the drawing itself, with its own safe-save rules; the batch only says
// where. Commands that open, save or quit are refused by the host in this mode, so the one save is ours.
std::vector<std::string> hostArguments(const Drawing& drawing, const BatchOptions& options) {
    std::vector<std::string> args = {"--batch", "--release", std::to_string(options.host.release)};
    if (options.host.lcid) args.insert(args.end(), {"--lcid", std::to_string(*options.host.lcid)});
    if (!options.module.empty()) args.insert(args.end(), {"--module", options.module});
    if (options.dryRun) {
        // No save option: the host cannot save at all.
    } else if (options.inPlace) {
        args.push_back("--save");
        if (options.backup) args.insert(args.end(), {"--backup", absoluteName(backupOf(drawing.source)).u8string()});
        if (options.backup && options.numberedBackups) args.push_back("--numbered-backup");
    } else {
        args.insert(args.end(), {"--save-as", absoluteName(drawing.target).u8string()});
    }
    args.push_back(absoluteName(drawing.source).u8string());  // absolute: never taken for an option
    for (const std::string& command : options.commands) args.insert(args.end(), {"-c", command});
    return args;
}

// Why a host that left no usable record failed: its standard error, else its exit status.
std::string hostError(const ProcessRun& run, const std::string& reason) {
    const std::string err = oneLine(run.err);
    if (run.status != 0)
        return "the host ended with status " + std::to_string(run.status) + (err.empty() ? "" : ": " + err);
    return reason + (err.empty() ? "" : ": " + err);
}

// The outcome from the host's record: its counts decide solidified or nothing to do; a failure keeps
// the host's own reason and nothing that would read as success.
void readRecord(const ProcessRun& run, const BatchOptions& options, DrawingResult& result) {
    vrk::record::HostRecord record;
    std::string reason;
    if (!vrk::record::parseRecord(trimmed(run.out), record, reason)) {
        result.error = hostError(run, reason);
        return;
    }
    result.before = record.before;
    if (record.status != 0 || run.status != 0) {
        const std::string error = oneLine(record.error.empty() ? run.err : record.error);
        result.error = error.empty() ? "the host ended with status " + std::to_string(run.status) : error;
        return;
    }
    if (!record.before || !record.after) {
        result.error = "the host's record holds no block counts";
        return;
    }
    result.after = record.after;
    result.message = record.output;
    result.outcome = *record.before == *record.after ? Outcome::NothingToDo : Outcome::Solidified;
    if (record.saved) result.bytesAfter = record.bytesAfter;
    else if (options.inPlace && !options.dryRun)
        result.bytesAfter = result.bytesBefore;  // unchanged, so not written: the drawing is its own result
}

void runHostOn(const Drawing& drawing, const BatchOptions& options, const fs::path& host, const std::atomic<bool>& stop,
               DrawingResult& result) {
    const ProcessRun run = vrk::platform::runCaptured(host, hostArguments(drawing, options), options.timeout, stop);
    switch (run.end) {
        case ProcessRun::End::NotStarted: result.error = run.startError; return;
        case ProcessRun::End::Crashed: result.error = "the host " + vrk::platform::describeCrash(run.status); return;
        case ProcessRun::End::TimedOut: {
            result.outcome = Outcome::TimedOut;
            char text[64];
            std::snprintf(text, sizeof(text), "stopped after %g s", options.timeout);
            result.error = text;
            return;
        }
        case ProcessRun::End::Stopped: result.outcome = Outcome::Interrupted; return;
        case ProcessRun::End::Exited: readRecord(run, options, result); return;
    }
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
    vrk::platform::FileLock lock;
    switch (lock.acquire(drawing.source, result.error)) {
        case vrk::platform::FileLock::State::Held: break;
        case vrk::platform::FileLock::State::InUse:
            result.outcome = Outcome::Skipped;
            result.error = "in use by another run";
            return finish();
        case vrk::platform::FileLock::State::Failed: return finish();
    }
    std::error_code ec;
    result.bytesBefore = fs::file_size(systemName(drawing.source), ec);
    if (ec) result.bytesBefore.reset();
    if (!options.dryRun && !options.inPlace) {
        const fs::path folder = drawing.target.parent_path();
        if (!folder.empty()) fs::create_directories(systemName(absoluteName(folder)), ec);
        if (ec) {
            result.error = "cannot make the folder " + folder.u8string() + ": " + ec.message();
            return finish();
        }
    }
    runHostOn(drawing, options, host, stop, result);
    return finish();
}

}  // namespace vrk::batch
