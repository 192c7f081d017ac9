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

#ifdef _WIN32
namespace {

// A console Ctrl+C, Ctrl+Break or closed window runs this on a thread of its own while the save goes
// on. The temporary file is open for deleting, so it can be removed at once (the system removes its
// name when the save's handle closes, at the exit below); once renamed into place it is no longer
// found under that name and is left alone.
wchar_t gPath[32768];
volatile LONG gArmed = 0;

BOOL WINAPI removeAndExit(DWORD event) {
    if (event != CTRL_C_EVENT && event != CTRL_BREAK_EVENT && event != CTRL_CLOSE_EVENT) return FALSE;
    if (InterlockedExchange(&gArmed, 0) != 0) DeleteFileW(gPath);
    static const char message[] = "interrupted while saving: the unfinished file was removed\n";
    DWORD written = 0;
    WriteFile(GetStdHandle(STD_ERROR_HANDLE), message, DWORD(sizeof(message) - 1), &written, nullptr);
    ExitProcess(130);
}

}  // namespace

RemoveOnSignal::RemoveOnSignal(const std::string& path) {
    const std::wstring text = widePath(path);
    if (text.size() >= sizeof(gPath) / sizeof(gPath[0])) return;
    std::memcpy(gPath, text.c_str(), (text.size() + 1) * sizeof(wchar_t));
    InterlockedExchange(&gArmed, 1);
    armed_ = SetConsoleCtrlHandler(removeAndExit, TRUE) != 0;
}

RemoveOnSignal::~RemoveOnSignal() {
    if (!armed_) return;
    InterlockedExchange(&gArmed, 0);
    SetConsoleCtrlHandler(removeAndExit, FALSE);
}
#else
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
#endif

}  // namespace vrk::dxf
