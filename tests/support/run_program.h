// Runs a program of the build, without a shell, and collects its standard output, standard error and exit status.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <string>

#include "tests/support/file_contents.h"

#if defined(_WIN32)
#include <windows.h>
#else
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <stdexcept>
#include <vector>

#include "tests/support/temp_folder.h"

extern char** environ;
#endif

namespace vrk::test {

struct ProgramResult {
    int status = -1;
    std::string out;
    std::string err;
};

#if defined(_WIN32)
// commandLine is a Windows command line (program first, quoted where it has spaces); stdin comes from
// input.  No shell is involved.
inline ProgramResult runProgram(const std::string& commandLine, const std::string& input = std::string()) {
    ProgramResult result;
    char temp[MAX_PATH + 1];
    char name[MAX_PATH + 1];
    if (GetTempPathA(sizeof(temp), temp) == 0 || GetTempFileNameA(temp, "vrk", 0, name) == 0) return result;
    const std::string base = name;
    writeFileContents(base + ".in", input);
    SECURITY_ATTRIBUTES inherit = {sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
    auto open = [&](const std::string& path, bool write) {
        return CreateFileA(path.c_str(), write ? GENERIC_WRITE : GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                           &inherit, write ? CREATE_ALWAYS : OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    };
    STARTUPINFOA startup = {};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = open(base + ".in", false);
    startup.hStdOutput = open(base + ".out", true);
    startup.hStdError = open(base + ".err", true);
    PROCESS_INFORMATION process = {};
    std::string line = commandLine;
    if (CreateProcessA(nullptr, line.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &process)) {
        WaitForSingleObject(process.hProcess, INFINITE);
        DWORD status = 0;
        GetExitCodeProcess(process.hProcess, &status);
        result.status = static_cast<int>(status);
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
    }
    CloseHandle(startup.hStdInput);
    CloseHandle(startup.hStdOutput);
    CloseHandle(startup.hStdError);
    result.out = fileContents(base + ".out");
    result.err = fileContents(base + ".err");
    for (const char* suffix : {"", ".in", ".out", ".err"}) DeleteFileA((base + suffix).c_str());
    return result;
}
#else
// The words of a command line as a POSIX shell splits it: blanks separate words, '...' keeps its text
// as it is, "..." too but for \" \\ \$ and \`, and \ elsewhere keeps the next character. Nothing
// else of a shell: an unquoted operator (| & ; < > ( ) $ `) is refused rather than taken as text.
inline std::vector<std::string> commandWords(const std::string& line) {
    std::vector<std::string> words;
    std::string word;
    bool inWord = false;
    for (std::size_t i = 0; i < line.size(); ++i) {
        const char c = line[i];
        if (c == ' ' || c == '\t' || c == '\n') {
            if (inWord) words.push_back(word);
            word.clear();
            inWord = false;
            continue;
        }
        inWord = true;
        if (c == '\'') {
            const std::size_t end = line.find('\'', i + 1);
            if (end == std::string::npos) throw std::invalid_argument("unmatched ' in: " + line);
            word += line.substr(i + 1, end - i - 1);
            i = end;
        } else if (c == '"') {
            for (++i; i < line.size() && line[i] != '"'; ++i) {
                if (line[i] == '\\' && i + 1 < line.size() && std::strchr("\"\\$`", line[i + 1])) ++i;
                word += line[i];
            }
            if (i == line.size()) throw std::invalid_argument("unmatched \" in: " + line);
        } else if (c == '\\' && i + 1 < line.size()) {
            word += line[++i];
        } else if (std::strchr("|&;<>()$`", c)) {
            throw std::invalid_argument(std::string("no shell runs the programs: '") + c + "' in: " + line);
        } else {
            word += c;
        }
    }
    if (inWord) words.push_back(word);
    return words;
}

// How a program is started: with what on standard input, in which folder, where its error output goes.
struct ProgramOptions {
    std::string input;
    // Standard input a pipe that StartedProgram::write() feeds until finish(), instead of input.
    bool fedInput = false;
    std::string workingFolder;
    // Standard error into standard output, one stream in the order written (as 2>&1).
    bool joinedOutput = false;
};

// A program started without a shell: standard output and error go to files of its own.
class StartedProgram {
public:
    explicit StartedProgram(const std::vector<std::string>& arguments,
                            const ProgramOptions& options = ProgramOptions()) {
        start(arguments, options);
    }
    ~StartedProgram() {
        if (mPid > 0) finish();
        closeInput();
    }
    StartedProgram(const StartedProgram&) = delete;
    StartedProgram& operator=(const StartedProgram&) = delete;

    // Writes to the program's standard input (started with fedInput).
    void write(const std::string& text) {
        // A program that has ended must fail the test, not end it with SIGPIPE.
        signal(SIGPIPE, SIG_IGN);
        for (std::size_t done = 0; mFeed >= 0 && done < text.size();) {
            const ssize_t n = ::write(mFeed, text.data() + done, text.size() - done);
            if (n <= 0) break;
            done += static_cast<std::size_t>(n);
        }
    }
    void sendSignal(int number) {
        if (mPid > 0) kill(mPid, number);
    }
    void closeInput() {
        if (mFeed >= 0) close(mFeed);
        mFeed = -1;
    }
    // Waits for the program to end; a program that could not start has status 127, as from a shell.
    ProgramResult finish() {
        closeInput();
        ProgramResult result;
        if (mPid <= 0) {
            result.status = 127;
            result.err = std::string("cannot start the program: ") + std::strerror(mSpawnError) + "\n";
            return result;
        }
        int status = 0;
        while (waitpid(mPid, &status, 0) < 0 && errno == EINTR) {
        }
        mPid = -1;
        result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        result.out = fileContents(mFiles.file("out"));
        result.err = fileContents(mFiles.file("err"));
        return result;
    }

private:
    void start(const std::vector<std::string>& arguments, const ProgramOptions& options) {
        std::vector<char*> argv;
        for (const std::string& a : arguments) argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        int feed[2] = {-1, -1};
        if (options.fedInput && pipe2(feed, O_CLOEXEC) == 0) {
            posix_spawn_file_actions_adddup2(&actions, feed[0], 0);
            mFeed = feed[1];
        } else {
            writeFileContents(mFiles.file("in"), options.input);
            posix_spawn_file_actions_addopen(&actions, 0, mFiles.file("in").c_str(), O_RDONLY, 0);
        }
        posix_spawn_file_actions_addopen(&actions, 1, mFiles.file("out").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        if (options.joinedOutput) posix_spawn_file_actions_adddup2(&actions, 1, 2);
        else
            posix_spawn_file_actions_addopen(&actions, 2, mFiles.file("err").c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                             0600);
        if (!options.workingFolder.empty())
            posix_spawn_file_actions_addchdir_np(&actions, options.workingFolder.c_str());
        mSpawnError = argv[0] ? posix_spawnp(&mPid, argv[0], &actions, nullptr, argv.data(), environ) : EINVAL;
        posix_spawn_file_actions_destroy(&actions);
        if (feed[0] >= 0) close(feed[0]);
        if (mSpawnError != 0) mPid = -1;
    }

    TempFolder mFiles;
    pid_t mPid = -1;
    int mSpawnError = 0;
    int mFeed = -1;
};

inline ProgramResult runProgram(const std::vector<std::string>& arguments,
                                const ProgramOptions& options = ProgramOptions()) {
    return StartedProgram(arguments, options).finish();
}
// commandLine is split into words as commandWords() says; stdin comes from input.
inline ProgramResult runProgram(const std::string& commandLine, const std::string& input = std::string()) {
    ProgramOptions options;
    options.input = input;
    return runProgram(commandWords(commandLine), options);
}
#endif

}  // namespace vrk::test
