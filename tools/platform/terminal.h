// The programs' standard streams: whether one is a terminal, and how the host programs and the batch
// treat them.
#pragma once

namespace vrk::platform {

// True when standard stream fd (0, 1 or 2) is a terminal (a console on Windows).
bool isTerminal(int fd);

// Standard error takes the terminal sequences that redraw a progress line (Windows consoles read them
// only when asked to; POSIX terminals always do).
void enableTerminalSequences();

// For the host programs: standard output and error written byte for byte (Windows would add a CR before
// each LF), and on Windows a console Ctrl+C, Ctrl+Break or closed console ends the program with status
// 130, saying "interrupted" on standard error. On POSIX the signals keep their default, so that the
// program ends as the signal says (a save in progress removes its temporary file first either way).
void setUpHostStreams();

}  // namespace vrk::platform
