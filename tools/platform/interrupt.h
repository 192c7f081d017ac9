// Ctrl-C (and SIGTERM or SIGHUP, or closing the console on Windows) asks a program to stop, which it
// then does in its own time (vrkbatch stops its hosts and writes its report).
#pragma once

#include <atomic>

namespace vrk::platform {

// From now on Ctrl-C (a console Ctrl+C, Ctrl+Break or closed console), SIGTERM and SIGHUP do not end
// this program but set the flag returned, which stays set.
const std::atomic<bool>& watchInterrupts();

}  // namespace vrk::platform
