// The Windows entry of the host programs: arguments as UTF-8 from the wide command line, whatever the
// ANSI code page, and output byte for byte, without CR added. A console Ctrl+C ends the program with
// status 130 and says so (a save in progress removes its temporary file first).
#pragma once

#if defined(_WIN32)
#include <fcntl.h>
#include <io.h>
#include <windows.h>
#include <shellapi.h>

#include <string>
#include <vector>

#include "emulator/text.h"

namespace vrk::host {

inline BOOL WINAPI endInterrupted(DWORD event) {
    if (event != CTRL_C_EVENT && event != CTRL_BREAK_EVENT && event != CTRL_CLOSE_EVENT) return FALSE;
    static const char message[] = "interrupted\n";
    DWORD written = 0;
    WriteFile(GetStdHandle(STD_ERROR_HANDLE), message, DWORD(sizeof(message) - 1), &written, nullptr);
    ExitProcess(130);
}

inline int runWithUtf8Arguments(int (*run)(int, char**)) {
    SetConsoleCtrlHandler(endInterrupted, TRUE);
    int argc = 0;
    LPWSTR* wideArgv = CommandLineToArgvW(GetCommandLineW(), &argc);
    std::vector<std::string> args;
    for (int i = 0; i < argc; ++i) args.push_back(vrk::emu::wideToUtf8(wideArgv[i]));
    LocalFree(wideArgv);
    std::vector<char*> argv;
    for (std::string& arg : args) argv.push_back(arg.data());
    argv.push_back(nullptr);
    _setmode(_fileno(stdout), _O_BINARY);
    _setmode(_fileno(stderr), _O_BINARY);
    return run(argc, argv.data());
}

}  // namespace vrk::host
#endif
