#include "signal_cleanup.h"

#include <unistd.h>

#include <csignal>
#include <cstring>

namespace vrk::fs {

namespace {

const int kSignals[] = {SIGINT, SIGTERM, SIGHUP};
constexpr int kSignalCount = int(sizeof(kSignals) / sizeof(kSignals[0]));

// Filled before the handlers go in, so that a handler only reads finished memory.
char gPath[4096];
volatile std::sig_atomic_t gArmed = 0;
void (*gPrevious[kSignalCount])(int);

extern "C" void removeAndRaise(int sig) {
    if (gArmed) {
        gArmed = 0;
        ::unlink(gPath);
    }
    for (int i = 0; i < kSignalCount; ++i)
        if (kSignals[i] == sig) std::signal(sig, gPrevious[i] == SIG_ERR ? SIG_DFL : gPrevious[i]);
    std::raise(sig);
}

}  // namespace

RemoveOnSignal::RemoveOnSignal(const std::string& path) {
    if (path.size() >= sizeof(gPath)) return;
    std::memcpy(gPath, path.c_str(), path.size() + 1);
    gArmed = 1;
    mArmed = true;
    for (int i = 0; i < kSignalCount; ++i) {
        gPrevious[i] = std::signal(kSignals[i], removeAndRaise);
        // A signal the caller ignores (nohup) stays ignored: it ends nothing, so nothing is left.
        if (gPrevious[i] == SIG_IGN) std::signal(kSignals[i], SIG_IGN);
    }
}

RemoveOnSignal::~RemoveOnSignal() {
    if (!mArmed) return;
    gArmed = 0;
    for (int i = 0; i < kSignalCount; ++i)
        if (gPrevious[i] != SIG_ERR) std::signal(kSignals[i], gPrevious[i]);
}

}  // namespace vrk::fs
