// The host program's terminal: the command line on standard output, the meter on standard error.
#pragma once

#include <string>

namespace vrk::host {

class Console {
public:
    // Connects the emulated host's command line and status bar to the terminal.
    void attach();
    // Prints a line of the host's own, starting on a fresh line.
    void printLine(const std::string& text);
    // Shows a prompt of the host's, starting on a fresh line.
    void prompt(const std::string& text);
    // Ends the output with a line break when the last text did not.
    void finish();

private:
    bool mAtLineStart = true;
};

}  // namespace vrk::host
