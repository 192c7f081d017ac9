#include "tools/vrkhost/host_commands.h"

#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <iostream>

#include "emulator/db/drawing_files.h"
#include "emulator/host.h"
#include "tools/vrkhost/drawing_info.h"

namespace vrk::host {

namespace {

using vrk::emu::fromHost;
using vrk::emu::toHost;

struct HostCommand {
    const char* name;
    size_t arguments;  // how many it takes; SETVAR's value may also be the rest of the line
    size_t optional;   // how many more it may take
    const char* usage;
};

const HostCommand kCommands[] = {
    {"SETVAR", 2, 0, "SETVAR name value"},
    {"GETVAR", 1, 0, "GETVAR name"},
    {"OPEN", 1, 0, "OPEN file"},
    {"SAVE", 0, 0, "SAVE"},
    {"SAVEAS", 1, 1, "SAVEAS file [ASCII|BINARY]"},
    {"INFO", 0, 0, "INFO"},
    {"QUIT", 0, 0, "QUIT"},
    {"EXIT", 0, 0, "EXIT"},
};

// A file that cannot be read or written is the program's error, on standard error.
void reportFileError(const std::string& error) { reportError(error); }

// The value typed for an integer variable, or the host's message refusing it.
bool integerValue(const std::string& text, const std::string& name, short& value, std::string& message) {
    char* end = nullptr;
    errno = 0;
    const long long number = std::strtoll(text.c_str(), &end, 10);
    if (text.empty() || std::isspace(static_cast<unsigned char>(text[0])) || end == nullptr || *end != '\0') {
        message = "Requires an integer value.";
        return false;
    }
    if (errno == ERANGE || number < -32768 || number > 32767) {
        message = "Requires an integer between -32768 and 32767.";
        return false;
    }
    const auto range = vrk::emu::integerVariableRange(name);
    if (range && (number < range->first || number > range->second)) {
        message =
            "Value must be between " + std::to_string(range->first) + " and " + std::to_string(range->second) + ".";
        return false;
    }
    value = static_cast<short>(number);
    return true;
}

// The value typed for a real variable: a finite number.
bool realValue(const std::string& text, double& value, std::string& message) {
    char* end = nullptr;
    value = std::strtod(text.c_str(), &end);
    if (text.empty() || std::isspace(static_cast<unsigned char>(text[0])) || end == nullptr || *end != '\0' ||
        !std::isfinite(value)) {
        message = "Requires numeric value.";
        return false;
    }
    return true;
}

CommandResult setVariable(Console& console, const CommandLine& command) {
    const std::string& name = command.arguments[0];
    // A string value may hold blanks without quotes: it is then the rest of the line.
    std::string value = command.arguments[1];
    if (command.arguments.size() > 2) {
        const size_t gap = command.rest.find_first_of(" \t");
        value = command.rest.substr(command.rest.find_first_not_of(" \t", gap));
    }
    resbuf current;
    if (acedGetVar(toHost(name).c_str(), &current) != RTNORM) {
        console.printLine("Unknown variable name \"" + name + "\".");
        return CommandResult::Failed;
    }
    vrk::emu::HostString hostValue;
    if (current.restype == RTSTR && !vrk::emu::toHostExactly(value, hostValue)) {
        acdbFree(current.resval.rstring);
        console.printLine("Cannot set " + name + " to " + value + ": " + vrk::emu::cannotTakeExactly(value));
        return CommandResult::Failed;
    }
    resbuf rb;
    rb.rbnext = nullptr;
    rb.restype = current.restype;
    std::string message;
    bool valid = true;
    switch (current.restype) {
        case RTSTR:
            acdbFree(current.resval.rstring);
            rb.resval.rstring = const_cast<ACHAR*>(hostValue.c_str());
            break;
        case RTSHORT: valid = integerValue(value, name, rb.resval.rint, message); break;
        default: valid = realValue(value, rb.resval.rreal, message); break;
    }
    if (!valid) {
        console.printLine(message);
        return CommandResult::Failed;
    }
    if (acedSetVar(toHost(name).c_str(), &rb) != RTNORM) {
        console.printLine("Cannot set " + name + ".");
        return CommandResult::Failed;
    }
    return CommandResult::Done;
}

CommandResult getVariable(Console& console, const std::string& name) {
    resbuf rb;
    if (acedGetVar(toHost(name).c_str(), &rb) != RTNORM) {
        console.printLine("Unknown variable name \"" + name + "\".");
        return CommandResult::Failed;
    }
    switch (rb.restype) {
        case RTSTR:
            console.printLine(fromHost(rb.resval.rstring));
            acdbFree(rb.resval.rstring);
            break;
        case RTSHORT: console.printLine(std::to_string(rb.resval.rint)); break;
        default: {
            char text[64];
            std::snprintf(text, sizeof(text), "%.6g", rb.resval.rreal);
            console.printLine(text);
            break;
        }
    }
    return CommandResult::Done;
}

CommandResult openDrawing(Session& session, const std::string& path) {
    const std::string unsaved = session.unsavedChanges();
    std::string error;
    if (!session.openDrawing(path, error)) {
        reportFileError(error);
        return CommandResult::NotRead;
    }
    if (!unsaved.empty()) reportNote(unsaved);
    return CommandResult::Done;
}

CommandResult saveDrawing(Session& session, Console& console, const std::string& path,
                          vrk::emu::SaveEncoding encoding = vrk::emu::SaveEncoding::AsRead) {
    if (path.empty()) {
        console.printLine("SAVE needs a file name for a new drawing: use SAVEAS file.");
        return CommandResult::Failed;
    }
    std::string error;
    const vrk::emu::SaveEncoding before = vrk::emu::saveEncoding();
    if (encoding != vrk::emu::SaveEncoding::AsRead) vrk::emu::setSaveEncoding(encoding);
    const bool saved = session.saveDrawing(path, error);
    vrk::emu::setSaveEncoding(before);
    if (!saved) {
        reportFileError(error);
        return CommandResult::NotWritten;
    }
    return CommandResult::Done;
}

// SAVEAS file [ASCII|BINARY]: the drawing's own encoding unless one is named.
bool encodingNamed(const std::string& word, vrk::emu::SaveEncoding& encoding) {
    const std::string folded = vrk::emu::foldCase(word);
    if (folded == "ASCII") encoding = vrk::emu::SaveEncoding::Ascii;
    else if (folded == "BINARY") encoding = vrk::emu::SaveEncoding::Binary;
    else return false;
    return true;
}

}  // namespace

bool isSessionCommand(const std::string& name) {
    const std::string folded = vrk::emu::foldCase(name);
    return folded == "OPEN" || folded == "SAVE" || folded == "SAVEAS" || folded == "QUIT" || folded == "EXIT";
}

CommandResult runHostCommand(Session& session, Console& console, const CommandLine& command) {
    const std::string name = vrk::emu::foldCase(command.name);
    const HostCommand* pCommand = nullptr;
    for (const HostCommand& candidate : kCommands)
        if (name == candidate.name) pCommand = &candidate;
    if (pCommand == nullptr) return CommandResult::Unknown;
    const size_t given = command.arguments.size();
    const bool setvarRest = name == "SETVAR" && given > 2;
    if ((given < pCommand->arguments || given > pCommand->arguments + pCommand->optional) && !setvarRest) {
        console.printLine(name + " takes " + std::to_string(pCommand->arguments) + " argument(s), not " +
                          std::to_string(given) + ": " + pCommand->usage);
        return CommandResult::Failed;
    }
    if (name == "QUIT" || name == "EXIT") return CommandResult::Quit;
    if (name == "SETVAR") return setVariable(console, command);
    if (name == "GETVAR") return getVariable(console, command.arguments[0]);
    if (name == "OPEN") return openDrawing(session, command.arguments[0]);
    if (name == "SAVE") return saveDrawing(session, console, session.drawingPath());
    if (name == "SAVEAS") {
        vrk::emu::SaveEncoding encoding = vrk::emu::SaveEncoding::AsRead;
        if (given == 2 && !encodingNamed(command.arguments[1], encoding)) {
            console.printLine("SAVEAS writes ASCII or BINARY, not " + command.arguments[1] + ": " + pCommand->usage);
            return CommandResult::Failed;
        }
        return saveDrawing(session, console, command.arguments[0], encoding);
    }
    console.printLine(describeDrawing(session.database()));
    return CommandResult::Done;
}

}  // namespace vrk::host
