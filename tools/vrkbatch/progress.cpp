#include "tools/vrkbatch/progress.h"

#include <cstdio>

#include "tools/options/printable.h"

#include "tools/platform/terminal.h"

namespace vrk::batch {

namespace {

std::string clock(double seconds) {
    const long s = static_cast<long>(seconds + 0.5);
    char text[32];
    if (s >= 3600) std::snprintf(text, sizeof(text), "%ld:%02ld:%02ld", s / 3600, s / 60 % 60, s % 60);
    else std::snprintf(text, sizeof(text), "%ld:%02ld", s / 60, s % 60);
    return text;
}

}  // namespace

Progress::Progress(size_t total, bool quiet)
    : mTotal(total), mQuiet(quiet), mTerminal(vrk::platform::isTerminal(2)), mStart(std::chrono::steady_clock::now()) {
    // The progress line is redrawn with terminal sequences.
    if (mTerminal) vrk::platform::enableTerminalSequences();
}

void Progress::started(const Drawing& drawing) {
    std::lock_guard<std::mutex> lock(mLock);
    mCurrent = vrk::options::printable(drawing.source.filename().u8string());
    drawLine();
}

void Progress::finished(const Drawing& drawing, const DrawingResult& result) {
    std::lock_guard<std::mutex> lock(mLock);
    ++mDone;
    switch (result.outcome) {
        case Outcome::Solidified: ++mSolidified; break;
        case Outcome::NothingToDo: ++mUnchanged; break;
        case Outcome::TimedOut: ++mTimedOut; break;
        case Outcome::Skipped:
            ++mSkipped;
            if (drawing.dwg) ++mDwg;
            break;
        case Outcome::Interrupted: --mDone; return;
        case Outcome::Failed: ++mFailed; break;
    }
    // Names and messages may hold control characters, which reach the terminal escaped.
    const std::string path = vrk::options::printable(drawing.source.u8string());
    const std::string error = vrk::options::printable(result.error);
    const std::string message = vrk::options::printable(result.message);
    clearLine();
    if (result.outcome == Outcome::Failed || result.outcome == Outcome::TimedOut) {
        std::fprintf(stderr, "vrkbatch: %s: %s%s\n", path.c_str(),
                     result.outcome == Outcome::TimedOut ? "timed out, " : "", error.c_str());
    } else if (!mQuiet && !mTerminal) {
        const std::string& said = result.outcome == Outcome::Skipped ? error : message;
        std::fprintf(stderr, "%s: %s%s%s\n", path.c_str(), outcomeName(result.outcome), said.empty() ? "" : ", ",
                     said.c_str());
    }
    drawLine();
}

void Progress::redraw() {
    std::lock_guard<std::mutex> lock(mLock);
    drawLine();
}

void Progress::drawLine() {
    if (mQuiet || !mTerminal) return;
    const double elapsed = std::chrono::duration<double>(std::chrono::steady_clock::now() - mStart).count();
    std::string left = "";
    if (mDone > 0 && mDone < mTotal) left = ", about " + clock(elapsed / mDone * (mTotal - mDone)) + " left";
    std::fprintf(stderr, "\r\033[K[%zu/%zu] %s elapsed%s  %s", mDone, mTotal, clock(elapsed).c_str(), left.c_str(),
                 mCurrent.c_str());
    std::fflush(stderr);
    mLineShown = true;
}

void Progress::clearLine() {
    if (!mLineShown) return;
    std::fputs("\r\033[K", stderr);
    mLineShown = false;
}

void Progress::summary(bool interrupted) {
    std::lock_guard<std::mutex> lock(mLock);
    clearLine();
    if (mQuiet) return;
    const double elapsed = std::chrono::duration<double>(std::chrono::steady_clock::now() - mStart).count();
    std::fprintf(stderr, "vrkbatch: %zu drawings%s: %zu solidified, %zu unchanged, %zu failed", mDone,
                 interrupted ? " finished before the interruption" : "", mSolidified, mUnchanged, mFailed + mTimedOut);
    if (mTimedOut) std::fprintf(stderr, " (%zu timed out)", mTimedOut);
    if (mSkipped) std::fprintf(stderr, ", %zu skipped", mSkipped);
    std::fprintf(stderr, ", %.1f s\n", elapsed);
}

void Progress::dwgSummary(bool onlyDwg) {
    std::lock_guard<std::mutex> lock(mLock);
    if (mDwg == 0 || (mQuiet && !onlyDwg)) return;
    std::fprintf(stderr,
                 "vrkbatch: %zu DWG drawing%s left out%s: Varnikel reads DXF, save them as DXF first (see README, "
                 "DWG drawings)\n",
                 mDwg, mDwg == 1 ? "" : "s", onlyDwg ? ", and no DXF drawing found" : "");
}

}  // namespace vrk::batch
