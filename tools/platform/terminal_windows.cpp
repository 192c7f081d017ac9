#include "tools/platform/terminal.h"

#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <cstdio>

namespace vrk::platform {

namespace {

BOOL WINAPI endInterrupted(DWORD event) {
    if (event != CTRL_C_EVENT && event != CTRL_BREAK_EVENT && event != CTRL_CLOSE_EVENT) return FALSE;
    static const char message[] = "interrupted\n";
    DWORD written = 0;
    WriteFile(GetStdHandle(STD_ERROR_HANDLE), message, DWORD(sizeof(message) - 1), &written, nullptr);
    ExitProcess(130);
}

}  // namespace

bool isTerminal(int fd) { return _isatty(fd) != 0; }

void enableTerminalSequences() {
    DWORD mode = 0;
    HANDLE console = GetStdHandle(STD_ERROR_HANDLE);
    if (GetConsoleMode(console, &mode)) SetConsoleMode(console, mode | ENABLE_VIRTUAL_TERMINAL_PROCESSING);
}

void setUpHostStreams() {
    SetConsoleCtrlHandler(endInterrupted, TRUE);
    _setmode(_fileno(stdout), _O_BINARY);
    _setmode(_fileno(stderr), _O_BINARY);
}

}  // namespace vrk::platform
