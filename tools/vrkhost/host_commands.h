// The host's own commands: SETVAR, GETVAR, OPEN, SAVE, SAVEAS, INFO, QUIT.
#pragma once

#include <string>

#include "tools/vrkhost/command_line.h"
#include "tools/vrkhost/console.h"
#include "tools/vrkhost/session.h"

namespace vrk::host {

enum class CommandResult {
    Done,
    Failed,      // a bad argument, an unknown variable, a value refused
    NotRead,     // OPEN could not read the drawing
    NotWritten,  // SAVE or SAVEAS could not write it
    Unknown,     // none of the host's own
    Quit
};

// True for the host commands that open, save or end the session (OPEN, SAVE, SAVEAS, QUIT, EXIT).
bool isSessionCommand(const std::string& name);

// Runs a host command; Unknown when the name is none of the host's own.
CommandResult runHostCommand(Session& session, Console& console, const CommandLine& command);

}  // namespace vrk::host
