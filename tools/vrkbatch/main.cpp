// vrkbatch: runs the host program over many drawings, several at a time, and reports on each.
#include <algorithm>
#include <condition_variable>
#include <iostream>
#include <thread>

#include "tools/options/exit_status.h"
#include "tools/options/printable.h"
#include "tools/platform/arguments.h"
#include "tools/platform/interrupt.h"
#include "tools/platform/own_path.h"
#include "tools/vrkbatch/batch_options.h"
#include "tools/vrkbatch/drawing_list.h"
#include "tools/vrkbatch/file_names.h"
#include "tools/vrkbatch/progress.h"
#include "tools/vrkbatch/report.h"

namespace vrk::batch {

namespace fs = std::filesystem;
using namespace vrk::options;

namespace {

// vrkhost beside this program.
fs::path defaultHost() { return vrk::platform::ownFolder() / ("vrkhost" VRK_PROGRAM_SUFFIX); }

// Workers take the drawings in order; once interrupted they start no more.
class Batch {
public:
    Batch(const BatchOptions& options, std::vector<Drawing> drawings, const std::atomic<bool>& interrupted)
        : mOptions(options),
          mDrawings(std::move(drawings)),
          mResults(mDrawings.size()),
          mInterrupted(interrupted),
          mProgress(mDrawings.size(), options.quiet),
          mHost(options.hostProgram.empty() ? defaultHost() : fs::u8path(options.hostProgram)) {}

    void run(bool onlyDwg) {
        const size_t workers = std::min<size_t>(mOptions.jobs, mDrawings.size());
        std::vector<std::thread> threads;
        for (size_t i = 0; i < workers; ++i) threads.emplace_back([this] { work(); });
        {
            std::unique_lock<std::mutex> lock(mLock);
            while (mWorking < workers) {
                mChanged.wait_for(lock, std::chrono::milliseconds(250));
                mProgress.redraw();
            }
        }
        for (std::thread& t : threads) t.join();
        mProgress.summary(mInterrupted);
        mProgress.dwgSummary(onlyDwg);
    }

    // The drawings that finished, in the order they were named.
    std::vector<ReportRow> rows() const {
        std::vector<ReportRow> rows;
        for (size_t i = 0; i < mDrawings.size(); ++i)
            if (mResults[i] && mResults[i]->outcome != Outcome::Interrupted)
                rows.push_back({&mDrawings[i], &*mResults[i]});
        return rows;
    }

    bool anyFailed() const {
        return std::any_of(mResults.begin(), mResults.end(), [](const std::optional<DrawingResult>& r) {
            return r && (r->outcome == Outcome::Failed || r->outcome == Outcome::TimedOut);
        });
    }

private:
    void work() {
        for (size_t i; !mInterrupted && (i = mNext++) < mDrawings.size();) {
            mProgress.started(mDrawings[i]);
            DrawingResult result = runDrawing(mDrawings[i], mOptions, mHost, mInterrupted);
            mProgress.finished(mDrawings[i], result);
            mResults[i] = std::move(result);
        }
        std::lock_guard<std::mutex> lock(mLock);
        ++mWorking;
        mChanged.notify_one();
    }

    const BatchOptions& mOptions;
    const std::vector<Drawing> mDrawings;
    std::vector<std::optional<DrawingResult>> mResults;  // each written by the one worker that ran it
    const std::atomic<bool>& mInterrupted;
    Progress mProgress;
    const fs::path mHost;
    std::atomic<size_t> mNext{0};
    std::mutex mLock;
    std::condition_variable mChanged;
    size_t mWorking = 0;  // workers that have ended
};

}  // namespace

int run(int argc, char** argv) {
    BatchOptions options;
    if (const std::optional<int> status = parseBatchOptions(argc, argv, options)) return *status;
    const std::atomic<bool>& interrupted = vrk::platform::watchInterrupts();

    // The output folder exists before the inputs are listed, so that it is known and left out of them.
    if (!options.outDir.empty() && !options.dryRun) {
        std::error_code ec;
        fs::create_directories(systemName(absoluteName(fs::u8path(options.outDir))), ec);
        if (ec) {
            std::cerr << "vrkbatch: " << printable(options.outDir) << ": cannot make the folder: " << ec.message()
                      << '\n';
            return kExitFailed;
        }
    }
    std::vector<Drawing> drawings = listDrawings(options);
    // Nothing to do is success, but not when every drawing found was of the wrong kind.
    const bool onlyDwg =
        std::any_of(drawings.begin(), drawings.end(), [](const Drawing& d) { return d.dwg; }) &&
        std::none_of(drawings.begin(), drawings.end(), [](const Drawing& d) { return !d.dwg && !d.skipped; });
    Batch batch(options, std::move(drawings), interrupted);
    batch.run(onlyDwg);
    int status = interrupted ? kExitInterrupted : batch.anyFailed() || onlyDwg ? kExitFailed : kExitSuccess;
    std::string error;
    if (!options.report.empty() && !writeReport(options.report, batch.rows(), error)) {
        std::cerr << "vrkbatch: " << printable(options.report) << ": " << error << '\n';
        if (status == kExitSuccess) status = kExitFailed;
    }
    return status;
}

}  // namespace vrk::batch

int main(int argc, char** argv) { return vrk::platform::runWithUtf8Arguments(argc, argv, vrk::batch::run); }
