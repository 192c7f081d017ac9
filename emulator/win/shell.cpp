// ShellExecuteA/W: hands the file to the desktop's opener, or to an observer set by the tests.
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <mutex>
#include <sys/wait.h>
#include <unistd.h>

#include "emulator/win/code_pages.h"
#include "emulator/win/win_control.h"

namespace {

using namespace vrk::win;
using namespace vrk::win::detail;

constexpr std::uintptr_t kStarted = 33;  // any value above 32 means success

std::mutex observerMutex;
ShellExecuteObserver observer;
std::function<void(const std::string&)> failureSink;

HINSTANCE failed(const std::string& file, const std::string& reason, std::uintptr_t code) {
    const std::string line = "cannot open " + file + ": " + reason;
    std::function<void(const std::string&)> sink;
    {
        std::lock_guard<std::mutex> lock(observerMutex);
        sink = failureSink;
    }
    if (sink) sink(line);
    else std::fprintf(stderr, "%s\n", line.c_str());
    return reinterpret_cast<HINSTANCE>(code);
}

std::optional<std::wstring> fromAnsi(LPCSTR text) {
    if (!text) return std::nullopt;
    return decode(resolveCodePage(CP_ACP), text, std::strlen(text)).text;
}

std::optional<std::wstring> fromWide(LPCWSTR text) {
    if (!text) return std::nullopt;
    return std::wstring(text);
}

std::string findOnPath(const char* program) {
    const char* path = std::getenv("PATH");
    if (!path) return std::string();
    for (const char* start = path;;) {
        const char* end = std::strchr(start, ':');
        std::string dir(start, end ? end : start + std::strlen(start));
        if (dir.empty()) dir = ".";
        const std::string candidate = dir + "/" + program;
        if (access(candidate.c_str(), X_OK) == 0) return candidate;
        if (!end) return std::string();
        start = end + 1;
    }
}

// Starts the opener without waiting for it.  The intermediate child exits at once and is reaped
// here, so the opener is adopted by init and never becomes our zombie.
bool launch(const std::string& program, const std::string& argument) {
    char* const argv[] = {const_cast<char*>(program.c_str()), const_cast<char*>(argument.c_str()), nullptr};
    const pid_t child = fork();
    if (child < 0) return false;
    if (child == 0) {
        if (fork() == 0) {
            const int null = open("/dev/null", O_RDWR);
            if (null >= 0) {
                dup2(null, STDIN_FILENO);
                dup2(null, STDOUT_FILENO);
                dup2(null, STDERR_FILENO);
            }
            setsid();
            execv(program.c_str(), argv);
        }
        _exit(0);
    }
    int status = 0;
    while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    return true;
}

HINSTANCE shellExecute(ShellExecuteCall call) {
    ShellExecuteObserver current;
    {
        std::lock_guard<std::mutex> lock(observerMutex);
        current = observer;
    }
    if (current) {
        current(call);
        return reinterpret_cast<HINSTANCE>(kStarted);
    }
    if (!call.file) return failed("nothing", "no file named", SE_ERR_FNF);
    const std::string file = encode(CP_UTF8, call.file->data(), call.file->size(), nullptr).text;
    const std::string opener = findOnPath("xdg-open");
    if (opener.empty()) return failed(file, "no program to open it (xdg-open is not on PATH)", SE_ERR_FNF);
    if (!launch(opener, file)) return failed(file, std::string("cannot start xdg-open: ") + std::strerror(errno), 0);
    return reinterpret_cast<HINSTANCE>(kStarted);
}

}  // namespace

extern "C" HINSTANCE ShellExecuteA(HWND hwnd, LPCSTR lpOperation, LPCSTR lpFile, LPCSTR lpParameters,
                                   LPCSTR lpDirectory, int nShowCmd) {
    return shellExecute({false, hwnd, fromAnsi(lpOperation), fromAnsi(lpFile), fromAnsi(lpParameters),
                         fromAnsi(lpDirectory), nShowCmd});
}

extern "C" HINSTANCE ShellExecuteW(HWND hwnd, LPCWSTR lpOperation, LPCWSTR lpFile, LPCWSTR lpParameters,
                                   LPCWSTR lpDirectory, int nShowCmd) {
    return shellExecute(
        {true, hwnd, fromWide(lpOperation), fromWide(lpFile), fromWide(lpParameters), fromWide(lpDirectory), nShowCmd});
}

namespace vrk::win {

void setShellExecuteObserver(ShellExecuteObserver newObserver) {
    std::lock_guard<std::mutex> lock(observerMutex);
    observer = std::move(newObserver);
}

void clearShellExecuteObserver() { setShellExecuteObserver(nullptr); }

void setShellFailureSink(std::function<void(const std::string&)> sink) {
    std::lock_guard<std::mutex> lock(observerMutex);
    failureSink = std::move(sink);
}

}  // namespace vrk::win
