#include "tools/platform/process.h"

#include <windows.h>

#include <cstdio>
#include <mutex>
#include <thread>

#include "tools/platform/process_watch.h"
#include "tools/platform/utf16.h"

namespace vrk::platform {

namespace {

// One argument as CommandLineToArgvW splits it back: quoted, backslashes before a quote doubled.
std::wstring quoteArgument(const std::wstring& arg) {
    std::wstring quoted = L"\"";
    size_t backslashes = 0;
    for (wchar_t c : arg) {
        if (c == L'\\') {
            ++backslashes;
            continue;
        }
        quoted.append(c == L'"' ? backslashes * 2 + 1 : backslashes, L'\\');
        backslashes = 0;
        quoted += c;
    }
    quoted.append(backslashes * 2, L'\\');
    return quoted + L'"';
}

void drain(HANDLE pipe, std::string& text) {
    char buffer[16384];
    DWORD n = 0;
    while (ReadFile(pipe, buffer, sizeof(buffer), &n, nullptr) && n > 0) text.append(buffer, n);
}

// Handles made inheritable for one child must not leak into another started at the same time.
std::mutex gSpawnLock;

// The one start of a program: its command line as CommandLineToArgvW splits it back into program and
// arguments, handles marked inheritable passed on.
bool startProcess(const std::filesystem::path& program, const std::vector<std::string>& arguments, DWORD flags,
                  STARTUPINFOW& startup, PROCESS_INFORMATION& process, std::string& error) {
    std::wstring commandLine = quoteArgument(program.native());
    for (const std::string& arg : arguments) commandLine += L" " + quoteArgument(widen(arg));
    if (CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, TRUE, flags, nullptr, nullptr, &startup,
                       &process))
        return true;
    error = "cannot start " + program.u8string() + " (error " + std::to_string(GetLastError()) + ")";
    return false;
}

}  // namespace

ProcessRun runCaptured(const std::filesystem::path& program, const std::vector<std::string>& arguments, double timeout,
                       const std::atomic<bool>& stop) {
    ProcessRun run;
    HANDLE outRead = nullptr, errRead = nullptr;
    PROCESS_INFORMATION process = {};
    const bool onConsole = GetConsoleWindow() != nullptr;
    // A job holds the host and what it starts (the launcher starts the host of the release), so that
    // stopping it stops them all, also when this program ends.
    HANDLE job = CreateJobObjectW(nullptr, nullptr);
    if (job != nullptr) {
        JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits = {};
        limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
        SetInformationJobObject(job, JobObjectExtendedLimitInformation, &limits, sizeof(limits));
    }
    {
        std::lock_guard<std::mutex> lock(gSpawnLock);
        SECURITY_ATTRIBUTES inherit = {sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
        HANDLE outWrite = nullptr, errWrite = nullptr;
        CreatePipe(&outRead, &outWrite, &inherit, 0);
        CreatePipe(&errRead, &errWrite, &inherit, 0);
        SetHandleInformation(outRead, HANDLE_FLAG_INHERIT, 0);
        SetHandleInformation(errRead, HANDLE_FLAG_INHERIT, 0);
        HANDLE nul =
            CreateFileW(L"NUL", GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit, OPEN_EXISTING, 0, nullptr);
        STARTUPINFOW startup = {};
        startup.cb = sizeof(startup);
        startup.dwFlags = STARTF_USESTDHANDLES;
        startup.hStdInput = nul;
        startup.hStdOutput = outWrite;
        startup.hStdError = errWrite;
        // On a console the host shares it in a process group of its own, so that it can be asked to end
        // (Ctrl+Break, on which it removes what it was writing); without one it gets no window.
        const DWORD flags = CREATE_SUSPENDED | (onConsole ? CREATE_NEW_PROCESS_GROUP : CREATE_NO_WINDOW);
        if (startProcess(program, arguments, flags, startup, process, run.startError)) {
            if (job != nullptr) AssignProcessToJobObject(job, process.hProcess);
            ResumeThread(process.hThread);
        }
        CloseHandle(outWrite);
        CloseHandle(errWrite);
        CloseHandle(nul);
    }
    if (!run.startError.empty()) {
        CloseHandle(outRead);
        CloseHandle(errRead);
        if (job != nullptr) CloseHandle(job);
        return run;
    }
    std::thread outReader(drain, outRead, std::ref(run.out));
    std::thread errReader(drain, errRead, std::ref(run.err));
    const Watch watch(timeout, stop);
    run.end = ProcessRun::End::Exited;
    while (WaitForSingleObject(process.hProcess, static_cast<DWORD>(watch.sliceMs())) == WAIT_TIMEOUT) {
        run.end = watch.verdict();
        if (run.end != ProcessRun::End::Exited) {
            const DWORD graceMs = static_cast<DWORD>(std::chrono::milliseconds(kStopGrace).count());
            if (onConsole && GenerateConsoleCtrlEvent(CTRL_BREAK_EVENT, process.dwProcessId))
                WaitForSingleObject(process.hProcess, graceMs);
            // Whatever is left of it, the host of the release included, ends now.
            if (job != nullptr) TerminateJobObject(job, 1);
            TerminateProcess(process.hProcess, 1);
            WaitForSingleObject(process.hProcess, INFINITE);
            break;
        }
    }
    outReader.join();
    errReader.join();
    DWORD status = 0;
    GetExitCodeProcess(process.hProcess, &status);
    run.status = static_cast<int>(status);
    // Exception codes (0xC0000005 and the like) say the host crashed.
    if (run.end == ProcessRun::End::Exited && (status & 0xC0000000u) == 0xC0000000u) run.end = ProcessRun::End::Crashed;
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    CloseHandle(outRead);
    CloseHandle(errRead);
    if (job != nullptr) CloseHandle(job);
    return run;
}

std::string describeCrash(int status) {
    char text[64];
    std::snprintf(text, sizeof(text), "ended with exception 0x%08lX", static_cast<unsigned long>(status));
    return text;
}

int runInPlace(const std::filesystem::path& program, const std::vector<std::string>& arguments, std::string& error) {
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process = {};
    if (!startProcess(program, arguments, 0, startup, process, error)) return 127;
    WaitForSingleObject(process.hProcess, INFINITE);
    DWORD status = 127;
    GetExitCodeProcess(process.hProcess, &status);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return static_cast<int>(status);
}

}  // namespace vrk::platform
