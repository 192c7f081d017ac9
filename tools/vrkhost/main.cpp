// The host program: an emulated CAD host with one drawing open and the Varnikel module loaded.
#if defined(_WIN32)
#include <fcntl.h>
#include <io.h>
#include <windows.h>
#include <shellapi.h>
#define isatty _isatty
#else
#include <unistd.h>
#endif

#include <cstdio>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

#include "emulator/db/stub.h"
#include "emulator/host.h"
#include "tools/vrkhost/windows_main.h"
#include "emulator/rx/services.h"
#include "emulator/testing/host_calls.h"
#if !defined(_WIN32)
#include "emulator/win/win_control.h"
#endif
#include "tools/vrkhost/host_commands.h"

namespace vrk::host {

namespace {

// What a command left behind that it should have given back.
bool reportLeftOpen(const std::string& command) {
    static int knownOpen = 0;
    static int knownIterators = 0;
    const vrk::emu::HostCalls& calls = vrk::emu::HostCalls::instance();
    const int open = calls.openObjects();
    const int iterators = calls.liveIterators();
    const bool leaked = open > knownOpen || iterators > knownIterators;
    if (leaked) {
        std::ostringstream message;
        message << "vrkhost: " << command << " left " << open - knownOpen << " object(s) open";
        if (open > knownOpen) {
            message << " (handles";
            for (const AcDbStub* pStub : calls.openStubs()) message << ' ' << std::hex << std::uppercase << pStub->handle();
            message << std::dec << ')';
        }
        message << " and " << iterators - knownIterators << " iterator(s) alive\n";
        std::cerr << message.str();
    }
    knownOpen = open;
    knownIterators = iterators;
    return !leaked;
}

bool readLine(std::string& line, bool prompt) {
    if (prompt) {
        std::fputs("Command: ", stdout);
        std::fflush(stdout);
    }
    return static_cast<bool>(std::getline(std::cin, line));
}

}  // namespace

int run(int argc, char** argv) {
    Options options;
    std::string error;
    if (!parseOptions(argc, argv, options, error)) {
        std::cerr << "vrkhost: " << error << "\nTry 'vrkhost --help'.\n";
        return 2;
    }
    if (options.help) {
        std::fputs(kUsage, stdout);
        return 0;
    }
    if (options.version) {
        std::fputs("vrkhost (Varnikel) " VRK_VERSION "\n", stdout);
        return 0;
    }
#if defined(_WIN32)
    // The real system locale cannot be replaced; it follows the environment (LC_ALL under Wine).
    if (options.lcid && *options.lcid != GetSystemDefaultLCID()) {
        std::cerr << "vrkhost: --lcid " << *options.lcid << " differs from the system locale "
                  << GetSystemDefaultLCID() << ", which cannot be changed here\n";
        return 2;
    }
#else
    if (options.lcid) vrk::win::setSystemLcid(static_cast<LCID>(*options.lcid));
#endif

    Console console;
    console.attach();
    // Prompts inside commands read the next line of standard input.
    vrk::emu::setInputSource([](std::string& line) {
        if (!std::getline(std::cin, line)) return false;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        return true;
    });

    Session session(options);
    if (!session.loadRegistry(error)) {
        std::cerr << "vrkhost: " << error << '\n';
        return 3;
    }
    if (options.drawing.empty() ? !session.newDrawing() : !session.openDrawing(options.drawing, error)) {
        std::cerr << "vrkhost: " << error << '\n';
        return 3;
    }
    if (!session.loadModule(error)) {
        std::cerr << "vrkhost: " << error << '\n';
        return 4;
    }

    int status = 0;
    const bool interactive = options.commands.empty() && isatty(STDIN_FILENO);
    size_t next = 0;
    std::string line;
    for (;;) {
        if (!options.commands.empty()) {
            if (next == options.commands.size()) break;
            line = options.commands[next++];
        } else if (!readLine(line, interactive)) {
            break;
        }
        std::string arguments;
        const size_t start = line.find_first_not_of(" \t\r");
        if (start == std::string::npos) continue;
        const size_t end = line.find_first_of(" \t\r", start);
        const std::string name = line.substr(start, end == std::string::npos ? std::string::npos : end - start);
        if (end != std::string::npos) arguments = line.substr(end + 1);

        // Commands that applications register come before the host's own, as in the real host.
        if (!vrk::emu::invokeCommand(name)) {
            const CommandResult result = runHostCommand(session, console, name, arguments);
            if (result == CommandResult::Quit) break;
            if (result == CommandResult::Unknown) console.printLine("Unknown command \"" + name + "\".");
            if (result != CommandResult::Done && status == 0) status = 1;
        }
        if (!reportLeftOpen(name)) status = 5;
    }
    session.unloadModule();
    console.finish();
    if (!session.saveRegistry(error)) {
        std::cerr << "vrkhost: " << error << '\n';
        if (status == 0) status = 3;
    }
    return status;
}

}  // namespace vrk::host

#if defined(_WIN32)
int main() { return vrk::host::runWithUtf8Arguments(vrk::host::run); }
#else
int main(int argc, char** argv) { return vrk::host::run(argc, argv); }
#endif
