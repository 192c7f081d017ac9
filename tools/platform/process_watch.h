// How long a captured run may go on: its timeout and the stop request, shared by both process sources.
#pragma once

#include <algorithm>
#include <atomic>
#include <chrono>

#include "tools/platform/process.h"

namespace vrk::platform {

using Clock = std::chrono::steady_clock;

// How long a host asked to stop may take to clean up before it is killed.
const auto kStopGrace = std::chrono::seconds(2);

// Measures the run against its timeout and the stop request; says how it has to end, if it has to.
class Watch {
public:
    Watch(double timeout, const std::atomic<bool>& stop)
        : mDeadline(timeout > 0 ? Clock::now() + std::chrono::duration_cast<Clock::duration>(
                                                     std::chrono::duration<double>(timeout))
                                : Clock::time_point::max()),
          mStop(stop) {}
    // Exited while the run may go on; else TimedOut or Stopped.
    ProcessRun::End verdict() const {
        if (mStop) return ProcessRun::End::Stopped;
        return Clock::now() >= mDeadline ? ProcessRun::End::TimedOut : ProcessRun::End::Exited;
    }
    // Milliseconds to wait before looking again.
    int sliceMs() const {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(mDeadline - Clock::now()).count();
        // Past the deadline (a host given its grace period) the wait still takes a slice, not a spin.
        return static_cast<int>(std::max<long long>(left > 0 ? 0 : 10, std::min<long long>(100, left)));
    }

private:
    Clock::time_point mDeadline;
    const std::atomic<bool>& mStop;
};

}  // namespace vrk::platform
