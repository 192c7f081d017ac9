// vrkhost: starts the host program of the generation that the release asked for belongs to
// (2004-2006: R16, narrow text; 2007-2008: R17, wide text), passing every argument on. The whole
// command line is checked first, by the parser the host program uses, so that a bad one starts nothing.
#if defined(_WIN32)
#include <windows.h>
#else
#include <stdlib.h>
#include <unistd.h>
#endif

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <initializer_list>
#if defined(_WIN32)
#include <shellapi.h>

#include <string>
#include <vector>
#endif

#include "tools/options/host_options.h"
#include "tools/options/tool_command_line.h"

// The same launcher serves vrkhost and vrkconvert.
#ifndef VRK_TOOL_NAME
#define VRK_TOOL_NAME "vrkhost"
#endif
#define VRK_WIDEN2(x) L##x
#define VRK_WIDEN(x) VRK_WIDEN2(x)
#define VRK_WTOOL_NAME VRK_WIDEN(VRK_TOOL_NAME)
// Where an installed tree keeps the host programs, relative to the launcher's folder.
#ifndef VRK_PRIVATE_FROM_BIN
#define VRK_PRIVATE_FROM_BIN "."
#endif

namespace {

#if defined(_WIN32)
std::wstring programFolder() {
    std::vector<wchar_t> path(32768);
    const DWORD n = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    std::wstring self(path.data(), n);
    const size_t slash = self.find_last_of(L"\\/");
    return slash == std::wstring::npos ? L"." : self.substr(0, slash);
}

// The arguments as they were written, so that they reach the host program unchanged.
std::wstring argumentsOfCommandLine() {
    const wchar_t* p = GetCommandLineW();
    bool quoted = false;
    for (; *p && (quoted || (*p != L' ' && *p != L'\t')); ++p)
        if (*p == L'"') quoted = !quoted;
    return p;
}
#else
// The host program: <folder>/<tool>-<generation> beside this one (a build folder), or in the private
// folder of an installed tree, found relative to this program so that the tree can be moved.
bool hostProgram(const char* generation, char* out, size_t size) {
    const ssize_t n = readlink("/proc/self/exe", out, size - 1);
    size_t folder = 1;
    if (n > 0) {
        out[n] = '\0';
        const char* slash = std::strrchr(out, '/');
        folder = slash != nullptr ? static_cast<size_t>(slash - out) : 0;
    } else {
        out[0] = '.';
    }
    for (const char* place : {"", "/" VRK_PRIVATE_FROM_BIN}) {
        const int written =
            std::snprintf(out + folder, size - folder, "%s/" VRK_TOOL_NAME "-%s", place, generation);
        if (written <= 0 || static_cast<size_t>(written) >= size - folder) return false;
        if (access(out, X_OK) == 0) return true;
    }
    return true;  // not found: exec names the place of an installed tree in its error
}
#endif

}  // namespace

int launch(int argc, char** argv) {
    int release = 2008;
    if (const std::optional<int> status = vrk::options::checkToolCommandLine(argc, argv, release))
        return *status;
    const char* generation = vrk::options::isR16Release(release) ? "r16" : "r17";
#if defined(_WIN32)
    const std::wstring program = programFolder() + L"\\" VRK_WTOOL_NAME L"-" + (generation[2] == '6' ? L"r16" : L"r17") + L".exe";
    std::wstring commandLine = L"\"" + program + L"\"" + argumentsOfCommandLine();
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process = {};
    if (!CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup,
                        &process)) {
        std::fprintf(stderr, VRK_TOOL_NAME ": cannot start " VRK_TOOL_NAME "-%s.exe (error %lu)\n", generation,
                     static_cast<unsigned long>(GetLastError()));
        return 127;
    }
    WaitForSingleObject(process.hProcess, INFINITE);
    DWORD status = 127;
    GetExitCodeProcess(process.hProcess, &status);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return static_cast<int>(status);
#else
    char program[4096];
    if (!hostProgram(generation, program, sizeof(program))) {
        std::fprintf(stderr, VRK_TOOL_NAME ": the path of this program is too long\n");
        return 127;
    }
    // A drawing of 100 MB fills some 50,000 pages of 4 KB; under a hypervisor faulting them in costs more
    // than reading the file. Let the allocator back large blocks with huge pages, unless the caller
    // tuned it already.
    setenv("GLIBC_TUNABLES", "glibc.malloc.hugetlb=1", 0);
    execv(program, argv);
    std::fprintf(stderr, VRK_TOOL_NAME ": cannot start %s: %s\n", program, std::strerror(errno));
    return 127;
#endif
}

#if defined(_WIN32)
// The arguments as UTF-8, whatever the ANSI code page, for the option parser.
int main() {
    int argc = 0;
    LPWSTR* wideArgv = CommandLineToArgvW(GetCommandLineW(), &argc);
    std::vector<std::string> args;
    for (int i = 0; i < argc; ++i) {
        const int size = WideCharToMultiByte(CP_UTF8, 0, wideArgv[i], -1, nullptr, 0, nullptr, nullptr);
        std::string arg(size > 1 ? size - 1 : 0, '\0');
        if (size > 1) WideCharToMultiByte(CP_UTF8, 0, wideArgv[i], -1, arg.data(), size, nullptr, nullptr);
        args.push_back(arg);
    }
    LocalFree(wideArgv);
    std::vector<char*> argv;
    for (std::string& arg : args) argv.push_back(arg.data());
    argv.push_back(nullptr);
    return launch(argc, argv.data());
}
#else
int main(int argc, char** argv) {
    return launch(argc, argv);
}
#endif
