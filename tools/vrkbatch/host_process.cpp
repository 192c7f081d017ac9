#include "tools/vrkbatch/host_process.h"

#include <chrono>
#include <cstdio>
#include <cstring>
#include <thread>

#if defined(_WIN32)
#include <windows.h>

#include <mutex>
#else
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace vrk::batch {

namespace {

using Clock = std::chrono::steady_clock;

// How long a host asked to stop may take to clean up before it is killed.
const auto kStopGrace = std::chrono::seconds(2);

// Measures the run against its timeout and the stop request; says how it has to end, if it has to.
class Watch {
public:
    Watch(double timeout, const std::atomic<bool>& stop)
        : mDeadline(timeout > 0 ? Clock::now() + std::chrono::duration_cast<Clock::duration>(
                                                     std::chrono::duration<double>(timeout))
                                : Clock::time_point::max()),
          mStop(stop) {}
    // Exited while the run may go on; else TimedOut or Stopped.
    HostRun::End verdict() const {
        if (mStop) return HostRun::End::Stopped;
        return Clock::now() >= mDeadline ? HostRun::End::TimedOut : HostRun::End::Exited;
    }
    // Milliseconds to wait before looking again.
    int sliceMs() const {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(mDeadline - Clock::now()).count();
        // Past the deadline (a host given its grace period) the wait still takes a slice, not a spin.
        return static_cast<int>(std::max<long long>(left > 0 ? 0 : 10, std::min<long long>(100, left)));
    }

private:
    Clock::time_point mDeadline;
    const std::atomic<bool>& mStop;
};

}  // namespace

#if defined(_WIN32)

namespace {

std::wstring widen(const std::string& text) {
    if (text.empty()) return std::wstring();
    const int n = MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring wide(static_cast<size_t>(n), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), wide.data(), n);
    return wide;
}

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

}  // namespace

HostRun runHost(const std::filesystem::path& program, const std::vector<std::string>& arguments, double timeout,
                const std::atomic<bool>& stop) {
    HostRun run;
    std::wstring commandLine = quoteArgument(program.native());
    for (const std::string& arg : arguments) commandLine += L" " + quoteArgument(widen(arg));

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
        HANDLE nul = CreateFileW(L"NUL", GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit, OPEN_EXISTING,
                                 0, nullptr);
        STARTUPINFOW startup = {};
        startup.cb = sizeof(startup);
        startup.dwFlags = STARTF_USESTDHANDLES;
        startup.hStdInput = nul;
        startup.hStdOutput = outWrite;
        startup.hStdError = errWrite;
        // On a console the host shares it in a process group of its own, so that it can be asked to end
        // (Ctrl+Break, on which it removes what it was writing); without one it gets no window.
        const DWORD flags = CREATE_SUSPENDED | (onConsole ? CREATE_NEW_PROCESS_GROUP : CREATE_NO_WINDOW);
        if (CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, TRUE, flags, nullptr, nullptr,
                           &startup, &process)) {
            if (job != nullptr) AssignProcessToJobObject(job, process.hProcess);
            ResumeThread(process.hThread);
        } else {
            run.startError = "cannot start " + program.u8string() + " (error " + std::to_string(GetLastError()) + ")";
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
    run.end = HostRun::End::Exited;
    while (WaitForSingleObject(process.hProcess, static_cast<DWORD>(watch.sliceMs())) == WAIT_TIMEOUT) {
        run.end = watch.verdict();
        if (run.end != HostRun::End::Exited) {
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
    if (run.end == HostRun::End::Exited && (status & 0xC0000000u) == 0xC0000000u) run.end = HostRun::End::Crashed;
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

#else

namespace {

// The pipe's read end stays here; neither end leaks into hosts started by other threads.
struct Pipe {
    int fds[2] = {-1, -1};
    bool open() { return pipe2(fds, O_CLOEXEC) == 0; }
    void closeRead() { closeEnd(0); }
    void closeWrite() { closeEnd(1); }
    ~Pipe() {
        closeEnd(0);
        closeEnd(1);
    }

private:
    void closeEnd(int i) {
        if (fds[i] >= 0) close(fds[i]);
        fds[i] = -1;
    }
};

// The host in a process group of its own, so that stopping it stops whatever it started, and the
// terminal's Ctrl-C reaches this program, which decides.
bool spawnHost(const std::filesystem::path& program, const std::vector<std::string>& arguments, Pipe& out, Pipe& err,
               pid_t& pid, std::string& error) {
    std::vector<char*> argv;
    std::string programName = program.string();
    argv.push_back(programName.data());
    std::vector<std::string> args = arguments;
    for (std::string& arg : args) argv.push_back(arg.data());
    argv.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, out.fds[1], 1);
    posix_spawn_file_actions_adddup2(&actions, err.fds[1], 2);
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    sigset_t none, defaults;
    sigemptyset(&none);
    sigemptyset(&defaults);
    sigaddset(&defaults, SIGINT);
    sigaddset(&defaults, SIGTERM);
    sigaddset(&defaults, SIGHUP);
    sigaddset(&defaults, SIGPIPE);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETPGROUP | POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);
    posix_spawnattr_setpgroup(&attributes, 0);
    posix_spawnattr_setsigmask(&attributes, &none);
    posix_spawnattr_setsigdefault(&attributes, &defaults);
    const int rc = posix_spawn(&pid, programName.c_str(), &actions, &attributes, argv.data(), environ);
    posix_spawnattr_destroy(&attributes);
    posix_spawn_file_actions_destroy(&actions);
    if (rc != 0) error = "cannot start " + programName + ": " + std::strerror(rc);
    return rc == 0;
}

}  // namespace

HostRun runHost(const std::filesystem::path& program, const std::vector<std::string>& arguments, double timeout,
                const std::atomic<bool>& stop) {
    HostRun run;
    Pipe out, err;
    pid_t pid = -1;
    if (!out.open() || !err.open()) {
        run.startError = std::string("cannot make a pipe: ") + std::strerror(errno);
        return run;
    }
    if (!spawnHost(program, arguments, out, err, pid, run.startError)) return run;
    out.closeWrite();
    err.closeWrite();

    const Watch watch(timeout, stop);
    run.end = HostRun::End::Exited;
    // Asked to end first (the host removes what it was writing), killed after the grace period.
    Clock::time_point killAt = Clock::time_point::max();
    auto stopGroup = [&]() {
        if (run.end == HostRun::End::Exited) {
            run.end = watch.verdict();
            if (run.end == HostRun::End::Exited) return;
            kill(-pid, SIGTERM);
            killAt = Clock::now() + kStopGrace;
        } else if (Clock::now() >= killAt) {
            kill(-pid, SIGKILL);
            killAt = Clock::time_point::max();
        }
    };
    // Until both pipes are closed, which is when the host (and all it started) has gone.
    pollfd fds[2] = {{out.fds[0], POLLIN, 0}, {err.fds[0], POLLIN, 0}};
    std::string* texts[2] = {&run.out, &run.err};
    int open = 2;
    while (open > 0) {
        const int ready = poll(fds, 2, watch.sliceMs());
        if (ready < 0 && errno != EINTR) break;
        for (int i = 0; i < 2 && ready > 0; ++i) {
            if (fds[i].fd < 0 || fds[i].revents == 0) continue;
            char buffer[16384];
            const ssize_t n = read(fds[i].fd, buffer, sizeof(buffer));
            if (n > 0) {
                texts[i]->append(buffer, static_cast<size_t>(n));
            } else if (n == 0 || errno != EINTR) {
                fds[i].fd = -1;
                --open;
            }
        }
        stopGroup();
    }
    int waitStatus = 0;
    for (;;) {
        const pid_t done = waitpid(pid, &waitStatus, WNOHANG);
        if (done == pid || (done < 0 && errno != EINTR)) break;
        stopGroup();
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    if (run.end == HostRun::End::Exited && WIFSIGNALED(waitStatus)) {
        run.end = HostRun::End::Crashed;
        run.status = WTERMSIG(waitStatus);
    } else if (WIFEXITED(waitStatus)) {
        run.status = WEXITSTATUS(waitStatus);
    }
    return run;
}

std::string describeCrash(int status) {
    return "was killed by signal " + std::to_string(status) + " (" + strsignal(status) + ")";
}

#endif

}  // namespace vrk::batch
