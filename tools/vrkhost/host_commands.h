// The host's own commands: SETVAR, GETVAR, OPEN, SAVE, SAVEAS, INFO, QUIT.
#pragma once

#include <string>

#include "tools/vrkhost/console.h"
#include "tools/vrkhost/session.h"

namespace vrk::host {

enum class CommandResult { Done, Failed, Unknown, Quit };

// Runs a host command; Unknown when name is none of the host's own.
CommandResult runHostCommand(Session& session, Console& console, const std::string& name,
                             const std::string& arguments);

}  // namespace vrk::host
