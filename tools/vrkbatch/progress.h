// What the batch tells while it runs: on a terminal one progress line (drawings done of total, the
// current one, elapsed and estimated time left), otherwise a plain line per drawing; at the end a summary.
// Failures are told on standard error always, -q or not.
#pragma once

#include <chrono>
#include <mutex>
#include <string>

#include "tools/vrkbatch/drawing_job.h"

namespace vrk::batch {

class Progress {
public:
    Progress(size_t total, bool quiet);
    void started(const Drawing& drawing);
    void finished(const Drawing& drawing, const DrawingResult& result);
    void redraw();  // the progress line, with the time gone on
    void summary(bool interrupted);
    // DWG drawings left out, told in one line (also with -q when they were all the batch found).
    void dwgSummary(bool onlyDwg);

private:
    void drawLine();  // holding mLock
    void clearLine();

    std::mutex mLock;
    const size_t mTotal;
    const bool mQuiet;
    const bool mTerminal;
    const std::chrono::steady_clock::time_point mStart;
    size_t mDone = 0, mSolidified = 0, mUnchanged = 0, mFailed = 0, mTimedOut = 0, mSkipped = 0, mDwg = 0;
    std::string mCurrent;
    bool mLineShown = false;
};

}  // namespace vrk::batch
