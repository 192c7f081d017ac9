// Runs a program of the build and collects its standard output, standard error and exit status.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

#if defined(_WIN32)
#include <windows.h>
#else
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace vrk::test {

struct ProgramResult {
    int status = -1;
    std::string out;
    std::string err;
};

inline std::string readWholeFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

#if defined(_WIN32)
// commandLine is a Windows command line (program first, quoted where it has spaces); stdin comes from
// input.  No shell is involved.
inline ProgramResult runProgram(const std::string& commandLine, const std::string& input = std::string()) {
    ProgramResult result;
    char temp[MAX_PATH + 1];
    char name[MAX_PATH + 1];
    if (GetTempPathA(sizeof(temp), temp) == 0 || GetTempFileNameA(temp, "vrk", 0, name) == 0) return result;
    const std::string base = name;
    std::ofstream(base + ".in", std::ios::binary) << input;
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
    result.out = readWholeFile(base + ".out");
    result.err = readWholeFile(base + ".err");
    for (const char* suffix : {"", ".in", ".out", ".err"}) DeleteFileA((base + suffix).c_str());
    return result;
}
#else
// commandLine is given to the shell; stdin comes from input.
inline ProgramResult runProgram(const std::string& commandLine, const std::string& input = std::string()) {
    char folder[] = "/tmp/vrktestXXXXXX";
    ProgramResult result;
    if (mkdtemp(folder) == nullptr) return result;
    const std::string dir = folder;
    std::ofstream(dir + "/in", std::ios::binary) << input;
    const std::string full = "( " + commandLine + " ) <" + dir + "/in >" + dir + "/out 2>" + dir + "/err";
    const int rc = std::system(full.c_str());
    result.status = WIFEXITED(rc) ? WEXITSTATUS(rc) : -1;
    result.out = readWholeFile(dir + "/out");
    result.err = readWholeFile(dir + "/err");
    std::system(("rm -rf " + dir).c_str());
    return result;
}
#endif

}  // namespace vrk::test
