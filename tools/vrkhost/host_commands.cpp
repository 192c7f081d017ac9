#include "tools/vrkhost/host_commands.h"

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

// Splits off the first word; rest gets what follows it, leading blanks removed.
std::string firstWord(const std::string& text, std::string& rest) {
    const size_t start = text.find_first_not_of(" \t");
    const size_t end = start == std::string::npos ? std::string::npos : text.find_first_of(" \t", start);
    const size_t next = end == std::string::npos ? std::string::npos : text.find_first_not_of(" \t", end);
    rest = next == std::string::npos ? std::string() : text.substr(next);
    return start == std::string::npos ? std::string() : text.substr(start, end == std::string::npos ? end : end - start);
}

// A file argument may be written in double quotes.
std::string unquote(const std::string& text) {
    std::string s = text;
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.pop_back();
    if (s.size() >= 2 && s.front() == '"' && s.back() == '"') return s.substr(1, s.size() - 2);
    return s;
}

// SAVEAS file [ASCII|BINARY]: the encoding word, when given, is taken off the file name.
vrk::emu::SaveEncoding takeEncoding(std::string& arguments) {
    std::string s = arguments;
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.pop_back();
    const size_t blank = s.find_last_of(" \t");
    if (blank == std::string::npos) return vrk::emu::SaveEncoding::AsRead;
    const std::string word = vrk::emu::foldCase(s.substr(blank + 1));
    if (word != "ASCII" && word != "BINARY") return vrk::emu::SaveEncoding::AsRead;
    arguments = s.substr(0, blank);
    return word == "BINARY" ? vrk::emu::SaveEncoding::Binary : vrk::emu::SaveEncoding::Ascii;
}

// A file that cannot be read or written is the program's error, on standard error.
void reportFileError(const std::string& error) { std::cerr << "vrkhost: " << error << '\n'; }

CommandResult setVariable(Console& console, const std::string& arguments) {
    std::string value;
    const std::string name = firstWord(arguments, value);
    resbuf current;
    if (name.empty() || acedGetVar(toHost(name).c_str(), &current) != RTNORM) {
        console.printLine("Unknown variable name \"" + name + "\".");
        return CommandResult::Failed;
    }
    value = unquote(value);
    vrk::emu::HostString hostValue;
    if (current.restype == RTSTR && !vrk::emu::toHostExactly(value, hostValue)) {
        acdbFree(current.resval.rstring);
        console.printLine("Cannot set " + name + " to " + value + ": " + vrk::emu::notInCodePage());
        return CommandResult::Failed;
    }
    resbuf rb;
    rb.rbnext = nullptr;
    rb.restype = current.restype;
    char* end = nullptr;
    switch (current.restype) {
        case RTSTR:
            acdbFree(current.resval.rstring);
            rb.resval.rstring = const_cast<ACHAR*>(hostValue.c_str());
            break;
        case RTSHORT:
            rb.resval.rint = static_cast<short>(std::strtol(value.c_str(), &end, 10));
            break;
        default:
            rb.resval.rreal = std::strtod(value.c_str(), &end);
            break;
    }
    if (end != nullptr && (*end != '\0' || value.empty())) {
        console.printLine("Invalid value \"" + value + "\" for " + name + ".");
        return CommandResult::Failed;
    }
    if (acedSetVar(toHost(name).c_str(), &rb) != RTNORM) {
        console.printLine("Cannot set " + name + ".");
        return CommandResult::Failed;
    }
    return CommandResult::Done;
}

CommandResult getVariable(Console& console, const std::string& arguments) {
    std::string rest;
    const std::string name = firstWord(arguments, rest);
    resbuf rb;
    if (name.empty() || acedGetVar(toHost(name).c_str(), &rb) != RTNORM) {
        console.printLine("Unknown variable name \"" + name + "\".");
        return CommandResult::Failed;
    }
    switch (rb.restype) {
        case RTSTR:
            console.printLine(fromHost(rb.resval.rstring));
            acdbFree(rb.resval.rstring);
            break;
        case RTSHORT:
            console.printLine(std::to_string(rb.resval.rint));
            break;
        default: {
            char text[64];
            std::snprintf(text, sizeof(text), "%.6g", rb.resval.rreal);
            console.printLine(text);
            break;
        }
    }
    return CommandResult::Done;
}

}  // namespace

CommandResult runHostCommand(Session& session, Console& console, const std::string& name,
                             const std::string& arguments) {
    const std::string command = vrk::emu::foldCase(name);
    if (command == "QUIT" || command == "EXIT") return CommandResult::Quit;
    if (command == "SETVAR") return setVariable(console, arguments);
    if (command == "GETVAR") return getVariable(console, arguments);
    std::string error;
    if (command == "OPEN") {
        const std::string path = unquote(arguments);
        if (path.empty() || !session.openDrawing(path, error)) {
            if (path.empty()) console.printLine("OPEN needs a file name.");
            else reportFileError(error);
            return CommandResult::Failed;
        }
        return CommandResult::Done;
    }
    if (command == "SAVE" || command == "SAVEAS") {
        std::string rest = arguments;
        const vrk::emu::SaveEncoding encoding = command == "SAVEAS" ? takeEncoding(rest) : vrk::emu::SaveEncoding::AsRead;
        const std::string path = command == "SAVE" ? session.drawingPath() : unquote(rest);
        const vrk::emu::SaveEncoding before = vrk::emu::saveEncoding();
        if (encoding != vrk::emu::SaveEncoding::AsRead) vrk::emu::setSaveEncoding(encoding);
        const bool saved = !path.empty() && session.saveDrawing(path, error);
        vrk::emu::setSaveEncoding(before);
        if (!saved) {
            if (path.empty()) console.printLine(command + " needs a file name.");
            else reportFileError(error);
            return CommandResult::Failed;
        }
        return CommandResult::Done;
    }
    if (command == "INFO") {
        console.printLine(describeDrawing(session.database()));
        return CommandResult::Done;
    }
    return CommandResult::Unknown;
}

}  // namespace vrk::host
