#include "signal_cleanup.h"

#include <csignal>
#include <cstring>
#ifdef _WIN32
#include <io.h>

#include "win_path.h"
#else
#include <unistd.h>
#endif

namespace vrk::dxf {

namespace {

#ifdef _WIN32
using PathChar = wchar_t;
const int kSignals[] = {SIGINT, SIGTERM, SIGBREAK};
void removeFile(const PathChar* path) { ::_wunlink(path); }
#else
using PathChar = char;
const int kSignals[] = {SIGINT, SIGTERM, SIGHUP};
void removeFile(const PathChar* path) { ::unlink(path); }
#endif
constexpr int kSignalCount = int(sizeof(kSignals) / sizeof(kSignals[0]));

// Filled before the handlers go in, so that a handler only reads finished memory.
PathChar gPath[4096];
volatile std::sig_atomic_t gArmed = 0;
void (*gPrevious[kSignalCount])(int);

extern "C" void removeAndRaise(int sig) {
    if (gArmed) {
        gArmed = 0;
        removeFile(gPath);
    }
    for (int i = 0; i < kSignalCount; ++i)
        if (kSignals[i] == sig) std::signal(sig, gPrevious[i] == SIG_ERR ? SIG_DFL : gPrevious[i]);
    std::raise(sig);
}

}  // namespace

RemoveOnSignal::RemoveOnSignal(const std::string& path) {
#ifdef _WIN32
    const std::wstring text = widePath(path);
#else
    const std::string& text = path;
#endif
    if (text.size() >= sizeof(gPath) / sizeof(gPath[0])) return;
    std::memcpy(gPath, text.c_str(), (text.size() + 1) * sizeof(PathChar));
    gArmed = 1;
    armed_ = true;
    for (int i = 0; i < kSignalCount; ++i) {
        gPrevious[i] = std::signal(kSignals[i], removeAndRaise);
        // A signal the caller ignores (nohup) stays ignored: it ends nothing, so nothing is left.
        if (gPrevious[i] == SIG_IGN) std::signal(kSignals[i], SIG_IGN);
    }
}

RemoveOnSignal::~RemoveOnSignal() {
    if (!armed_) return;
    gArmed = 0;
    for (int i = 0; i < kSignalCount; ++i)
        if (gPrevious[i] != SIG_ERR) std::signal(kSignals[i], gPrevious[i]);
}

}  // namespace vrk::dxf
