#include "tools/platform/process.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <thread>

#include "tools/platform/process_watch.h"

namespace vrk::platform {

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

// The argument vector of program: its path, the arguments, a null pointer (pointing into arguments).
std::vector<char*> argumentVector(std::string& program, std::vector<std::string>& arguments) {
    std::vector<char*> argv;
    argv.push_back(program.data());
    for (std::string& arg : arguments) argv.push_back(arg.data());
    argv.push_back(nullptr);
    return argv;
}

// The one start of a program as a child: in a process group of its own, so that stopping it stops
// whatever it started, and the terminal's Ctrl-C reaches this program, which decides.
bool startProcess(const std::filesystem::path& program, const std::vector<std::string>& arguments, Pipe& out, Pipe& err,
                  pid_t& pid, std::string& error) {
    std::string programName = program.string();
    std::vector<std::string> args = arguments;
    const std::vector<char*> argv = argumentVector(programName, args);

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

ProcessRun runCaptured(const std::filesystem::path& program, const std::vector<std::string>& arguments, double timeout,
                       const std::atomic<bool>& stop) {
    ProcessRun run;
    Pipe out, err;
    pid_t pid = -1;
    if (!out.open() || !err.open()) {
        run.startError = std::string("cannot make a pipe: ") + std::strerror(errno);
        return run;
    }
    if (!startProcess(program, arguments, out, err, pid, run.startError)) return run;
    out.closeWrite();
    err.closeWrite();

    const Watch watch(timeout, stop);
    run.end = ProcessRun::End::Exited;
    // Asked to end first (the host removes what it was writing), killed after the grace period.
    Clock::time_point killAt = Clock::time_point::max();
    auto stopGroup = [&]() {
        if (run.end == ProcessRun::End::Exited) {
            run.end = watch.verdict();
            if (run.end == ProcessRun::End::Exited) return;
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
    // The pipes close as the host exits, a moment before it can be waited for: look again at once, then
    // less and less often (a fixed 2 ms added a third to a batch of small drawings).
    int waitStatus = 0;
    auto pause = std::chrono::microseconds(20);
    for (;;) {
        const pid_t done = waitpid(pid, &waitStatus, WNOHANG);
        if (done == pid || (done < 0 && errno != EINTR)) break;
        stopGroup();
        std::this_thread::sleep_for(pause);
        pause = std::min(pause * 2, std::chrono::microseconds(2000));
    }
    if (run.end == ProcessRun::End::Exited && WIFSIGNALED(waitStatus)) {
        run.end = ProcessRun::End::Crashed;
        run.status = WTERMSIG(waitStatus);
    } else if (WIFEXITED(waitStatus)) {
        run.status = WEXITSTATUS(waitStatus);
    }
    return run;
}

std::string describeCrash(int status) {
    return "was killed by signal " + std::to_string(status) + " (" + strsignal(status) + ")";
}

int runInPlace(const std::filesystem::path& program, const std::vector<std::string>& arguments, std::string& error) {
    // A drawing of 100 MB fills some 50,000 pages of 4 KB; under a hypervisor faulting them in costs more
    // than reading the file.
    setenv("GLIBC_TUNABLES", "glibc.malloc.hugetlb=1", 0);
    std::string programName = program.string();
    std::vector<std::string> args = arguments;
    execv(programName.c_str(), argumentVector(programName, args).data());
    error = "cannot start " + programName + ": " + std::strerror(errno);
    return 127;
}

}  // namespace vrk::platform
