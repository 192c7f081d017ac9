// The host program: an emulated CAD host with one drawing open and the Varnikel module loaded.
#include <cstdint>
#include <cstdio>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

#include "emulator/host.h"
#include "emulator/rx/services.h"
#include "emulator/calls/host_calls.h"
#include "tools/options/exit_status.h"
#include "tools/platform/arguments.h"
#include "tools/platform/host_system.h"
#include "tools/platform/terminal.h"
#include "emulator/db/drawing_files.h"
#include "tools/record/host_record.h"
#include "tools/vrkhost/drawing_info.h"
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
        message << command << " left " << open - knownOpen << " object(s) open";
        if (open > knownOpen) {
            message << " (handles";
            for (const std::uint64_t handle : calls.openHandles())
                message << ' ' << std::hex << std::uppercase << handle;
            message << std::dec << ')';
        }
        message << " and " << iterators - knownIterators << " iterator(s) alive";
        reportError(message.str());
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
        case CommandResult::Quit: return kExitSuccess;
        case CommandResult::NotRead: return kExitNotRead;
        case CommandResult::NotWritten: return kExitNotWritten;
        default: return kExitFailed;
    }
}

// The command lines to run: the -c options, or the lines of standard input (a UTF-8 byte-order mark
// at its start skipped, a carriage return at a line's end dropped). Prompts inside commands take the
// next line of standard input.
class CommandLines {
public:
    explicit CommandLines(const Options& options) : mLines(options.commands), mFromOptions(!options.commands.empty()) {}

    // Reads all of standard input now, so that every line can be checked before any runs.
    void readAll() {
        std::string line;
        while (!mFromOptions && readInput(line)) mLines.push_back(line);
        mInputRead = !mFromOptions;
        mFromOptions = true;
    }
    // An answer to a prompt.
    bool answer(std::string& line) {
        if (!mInputRead) return readInput(line);
        if (mNext == mLines.size()) return false;
        line = mLines[mNext++];
        return true;
    }
    const std::vector<std::string>& all() const { return mLines; }

    bool next(std::string& line, Console& console, bool prompt) {
        if (mFromOptions) {
            if (mNext == mLines.size()) return false;
            line = mLines[mNext++];
            return true;
        }
        if (prompt) console.prompt("Command: ");
        return readInput(line);
    }

private:
    bool readInput(std::string& line) {
        if (!std::getline(std::cin, line)) return false;
        if (mFirstInput && line.compare(0, 3, "\xEF\xBB\xBF") == 0) line.erase(0, 3);
        mFirstInput = false;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        return true;
    }

    std::vector<std::string> mLines;
    bool mFromOptions;
    bool mInputRead = false;  // standard input is in mLines
    size_t mNext = 0;
    bool mFirstInput = true;
};

// Batch mode: a command that opens, saves or ends the session is refused before anything runs.
bool refuseSessionCommands(const std::vector<std::string>& lines) {
    for (const std::string& line : lines) {
        CommandLine command;
        std::string error;
        if (!splitCommandLine(line, command, error)) {
            reportError(error);
            return false;
        }
        if (isSessionCommand(command.name)) {
            reportError(vrk::emu::foldCase(command.name) +
                        " is not allowed in batch mode: the batch saves the drawing itself");
            return false;
        }
    }
    return true;
}

// Runs the commands; with stopOnFailure the first one that fails ends the run.
int runCommands(Session& session, Console& console, CommandLines& lines, bool interactive, bool stopOnFailure) {
    int status = 0;
    std::string line;
    while (lines.next(line, console, interactive)) {
        CommandLine command;
        std::string error;
        if (!splitCommandLine(line, command, error)) {
            console.printLine(error);
            if (status == 0) status = kExitFailed;
        } else if (!command.name.empty()) {
            const CommandResult result = runCommand(session, console, command);
            if (result == CommandResult::Quit) break;
            if (status == 0) status = statusOf(result);
            if (!reportLeftOpen(command.name)) status = kExitLeftOpen;
        }
        if (status != 0 && stopOnFailure) {
            std::string later;
            while (lines.next(later, console, false) && later.find_first_not_of(" \t\r") == std::string::npos) {
            }
            if (!later.empty() && later.find_first_not_of(" \t\r") != std::string::npos)
                reportNote("a command failed: the commands after it were not run");
            break;
        }
    }
    return status;
}

// Batch mode's one save after the commands: --save only when they changed the drawing.
int saveForBatch(Session& session, const Options& options, vrk::record::HostRecord& record) {
    const bool overRead = options.save;
    if (overRead && !vrk::emu::differsFromFileRead(session.database())) return kExitSuccess;
    const std::string target = overRead ? session.drawingPath() : options.saveAs;
    vrk::emu::setSavesAllowed(true);
    vrk::emu::setSaveBackup(overRead ? options.backup : std::string(), options.numberedBackup);
    std::string error;
    const bool saved = session.saveDrawing(target, error);
    vrk::emu::setSavesAllowed(false);
    if (!vrk::emu::lastSaveBackup().empty()) record.backup = vrk::emu::lastSaveBackup();
    if (!saved) {
        reportError(error);
        return kExitNotWritten;
    }
    record.saved = target;
    vrk::fs::FileIdentity written;
    if (vrk::fs::identifyFile(target, written)) record.bytesAfter = written.size;
    return kExitSuccess;
}

int runSession(const Options& options, Console& console, vrk::record::HostRecord& record) {
    std::string error;
    if (options.host.lcid && !vrk::platform::useSystemLocale(*options.host.lcid, error)) {
        reportError(error);
        return kExitUsage;
    }
    // Where Windows would show a dialog that nothing can open the help page.
    vrk::platform::noteShellFailures([](const std::string& line) { reportNote(line); });
    CommandLines lines(options);
    if (options.batch) {
        vrk::emu::setSavesAllowed(false);
        lines.readAll();
        if (!refuseSessionCommands(lines.all())) return kExitFailed;
    }
    vrk::emu::setInputSource([&lines](std::string& line) { return lines.answer(line); });

    Session session(options);
    if (!session.loadRegistry(error)) {
        reportError(error);
        return kExitNotRead;
    }
    if (options.drawing.empty() ? !session.newDrawing() : !session.openDrawing(options.drawing, error)) {
        reportError(error);
        return kExitNotRead;
    }
    if (options.batch) record.before = countBlockContent(session.database());
    if (!session.loadModule(error)) {
        reportError(error);
        return kExitNoModule;
    }

    const bool interactive = options.commands.empty() && !options.batch && vrk::platform::isTerminal(0);
    int status = runCommands(session, console, lines, interactive, !interactive);
    if (options.batch) {
        record.after = countBlockContent(session.database());
        if (status == 0 && (options.save || !options.saveAs.empty())) status = saveForBatch(session, options, record);
    }
    const std::string unsaved = session.unsavedChanges();
    if (!unsaved.empty()) reportNote(unsaved);
    session.unloadModule();
    console.finish();
    if (!session.saveRegistry(error)) {
        reportError(error);
        if (status == 0) status = kExitNotWritten;
    }
    return status;
}

// What is left of text without blanks at either end.
std::string trimmed(const std::string& text) {
    const size_t first = text.find_first_not_of(" \t\r\n");
    if (first == std::string::npos) return std::string();
    return text.substr(first, text.find_last_not_of(" \t\r\n") - first + 1);
}

}  // namespace

int run(int argc, char** argv) {
    Options options;
    if (const std::optional<int> status = parseOptions(argc, argv, options)) return *status;
    Console console;
    console.attach(options.batch);
    vrk::record::HostRecord record;
    record.drawing = options.drawing;
    const int status = runSession(options, console, record);
    if (!options.batch) return status;
    record.output = trimmed(console.captured());
    record.status = status;
    if (status != 0) {
        record.error = firstError();
        // A command's own refusal is printed as its output: its last line says why.
        if (record.error.empty()) record.error = trimmed(record.output.substr(record.output.find_last_of('\n') + 1));
    }
    const std::string line = vrk::record::formatRecord(record) + "\n";
    std::fwrite(line.data(), 1, line.size(), stdout);
    std::fflush(stdout);
    return status;
}

}  // namespace vrk::host

int main(int argc, char** argv) {
    vrk::platform::setUpHostStreams();
    return vrk::platform::runWithUtf8Arguments(argc, argv, vrk::host::run);
}
