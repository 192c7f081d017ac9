#include "tools/vrkbatch/interrupt.h"

#if defined(_WIN32)
#include <windows.h>
#else
#include <signal.h>
#endif

namespace vrk::batch {

namespace {

std::atomic<bool> gInterrupted{false};
static_assert(std::atomic<bool>::is_always_lock_free, "set from a signal handler");

#if defined(_WIN32)
BOOL WINAPI onConsoleEvent(DWORD) {
    gInterrupted = true;
    return TRUE;
}
#else
void onSignal(int) { gInterrupted = true; }
#endif

}  // namespace

const std::atomic<bool>& installInterruptHandler() {
#if defined(_WIN32)
    SetConsoleCtrlHandler(onConsoleEvent, TRUE);
#else
    struct sigaction action = {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
    // A closed terminal or a dropped remote session: stop as on SIGTERM, with the report written.
    sigaction(SIGHUP, &action, nullptr);
#endif
    return gInterrupted;
}

}  // namespace vrk::batch
