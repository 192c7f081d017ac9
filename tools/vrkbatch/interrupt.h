// Ctrl-C (and SIGTERM or SIGHUP, or closing the console on Windows) asks the batch to stop.
#pragma once

#include <atomic>

namespace vrk::batch {

// The flag that the handler sets; installed once.
const std::atomic<bool>& installInterruptHandler();

}  // namespace vrk::batch
