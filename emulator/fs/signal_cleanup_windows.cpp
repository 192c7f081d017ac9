#include "signal_cleanup.h"

#include <cstring>

#include "win_path.h"

namespace vrk::fs {

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
    mArmed = SetConsoleCtrlHandler(removeAndExit, TRUE) != 0;
}

RemoveOnSignal::~RemoveOnSignal() {
    if (!mArmed) return;
    InterlockedExchange(&gArmed, 0);
    SetConsoleCtrlHandler(removeAndExit, FALSE);
}

}  // namespace vrk::fs
