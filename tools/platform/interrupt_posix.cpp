#include "tools/platform/interrupt.h"

#include <signal.h>

namespace vrk::platform {

namespace {

std::atomic<bool> gInterrupted{false};
static_assert(std::atomic<bool>::is_always_lock_free, "set from a signal handler");

void onSignal(int) { gInterrupted = true; }

}  // namespace

const std::atomic<bool>& watchInterrupts() {
    struct sigaction action = {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
    // A closed terminal or a dropped remote session: stop as on SIGTERM.
    sigaction(SIGHUP, &action, nullptr);
    return gInterrupted;
}

}  // namespace vrk::platform
