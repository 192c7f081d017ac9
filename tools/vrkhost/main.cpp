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
#include "tools/options/exit_status.h"
#include "tools/options/system_locale.h"
#include "tools/vrkhost/host_commands.h"

namespace vrk::host {

namespace {

using namespace vrk::options;

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

// Commands that applications register come before the host's own, as in the real host. They take
// no arguments.
CommandResult runCommand(Session& session, Console& console, const CommandLine& command) {
    if (vrk::emu::lookupCommand(command.name) == nullptr) {
        const CommandResult result = runHostCommand(session, console, command);
        if (result == CommandResult::Unknown) console.printLine("Unknown command \"" + command.name + "\".");
        return result;
    }
    if (!command.arguments.empty()) {
        console.printLine(command.name + " takes no arguments.");
        return CommandResult::Failed;
    }
    vrk::emu::invokeCommand(command.name);
    return CommandResult::Done;
}

int statusOf(CommandResult result) {
    switch (result) {
        case CommandResult::Done:
        case CommandResult::Quit:
            return kExitSuccess;
        case CommandResult::NotRead:
            return kExitNotRead;
        case CommandResult::NotWritten:
            return kExitNotWritten;
        default:
            return kExitCommandFailed;
    }
}

bool readLine(std::string& line, Console& console, bool prompt) {
    if (prompt) console.prompt("Command: ");
    return static_cast<bool>(std::getline(std::cin, line));
}

}  // namespace

int run(int argc, char** argv) {
    Options options;
    if (const std::optional<int> status = parseOptions(argc, argv, options)) return *status;
    std::string error;
    if (!vrk::options::applySystemLocale(options.host, error)) {
        std::cerr << "vrkhost: " << error << '\n';
        return kExitUsage;
    }

    Console console;
    console.attach();
#if !defined(_WIN32)
    // Where Windows would show a dialog that nothing can open the help page.
    vrk::win::setShellFailureSink([](const std::string& line) { std::cerr << "vrkhost: " << line << '\n'; });
#endif
    // Prompts inside commands read the next line of standard input.
    vrk::emu::setInputSource([](std::string& line) {
        if (!std::getline(std::cin, line)) return false;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        return true;
    });

    Session session(options);
    if (!session.loadRegistry(error)) {
        std::cerr << "vrkhost: " << error << '\n';
        return kExitNotRead;
    }
    if (options.drawing.empty() ? !session.newDrawing() : !session.openDrawing(options.drawing, error)) {
        std::cerr << "vrkhost: " << error << '\n';
        return kExitNotRead;
    }
    if (!session.loadModule(error)) {
        std::cerr << "vrkhost: " << error << '\n';
        return kExitNoModule;
    }

    int status = 0;
    const bool interactive = options.commands.empty() && isatty(STDIN_FILENO);
    size_t next = 0;
    std::string line;
    for (;;) {
        if (!options.commands.empty()) {
            if (next == options.commands.size()) break;
            line = options.commands[next++];
        } else if (!readLine(line, console, interactive)) {
            break;
        }
        CommandLine command;
        if (!splitCommandLine(line, command, error)) {
            console.printLine(error);
            if (status == 0) status = kExitCommandFailed;
            continue;
        }
        if (command.name.empty()) continue;
        const CommandResult result = runCommand(session, console, command);
        if (result == CommandResult::Quit) break;
        if (status == 0) status = statusOf(result);
        if (!reportLeftOpen(command.name)) status = kExitLeftOpen;
    }
    const std::string unsaved = session.unsavedChanges();
    if (!unsaved.empty()) std::cerr << "vrkhost: " << unsaved << '\n';
    session.unloadModule();
    console.finish();
    if (!session.saveRegistry(error)) {
        std::cerr << "vrkhost: " << error << '\n';
        if (status == 0) status = kExitNotWritten;
    }
    return status;
}

}  // namespace vrk::host

#if defined(_WIN32)
int main() { return vrk::host::runWithUtf8Arguments(vrk::host::run); }
#else
int main(int argc, char** argv) { return vrk::host::run(argc, argv); }
#endif
