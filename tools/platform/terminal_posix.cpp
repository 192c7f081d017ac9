#include "tools/platform/terminal.h"

#include <unistd.h>

namespace vrk::platform {

bool isTerminal(int fd) { return isatty(fd) != 0; }

void enableTerminalSequences() {}

void setUpHostStreams() {}

}  // namespace vrk::platform
