#include "tools/platform/interrupt.h"

#include <windows.h>

namespace vrk::platform {

namespace {

std::atomic<bool> gInterrupted{false};

BOOL WINAPI setInterrupted(DWORD) {
    gInterrupted = true;
    return TRUE;
}

}  // namespace

const std::atomic<bool>& watchInterrupts() {
    SetConsoleCtrlHandler(setInterrupted, TRUE);
    return gInterrupted;
}

}  // namespace vrk::platform
