// The host program's terminal: the command line on standard output, the meter on standard error.
#pragma once

#include <string>

namespace vrk::host {

class Console {
public:
    // Connects the emulated host's command line and status bar to the terminal; with capture what is
    // printed is kept (captured()) instead of going to standard output.
    void attach(bool capture = false);
    // Prints a line of the host's own, starting on a fresh line.
    void printLine(const std::string& text);
    // Shows a prompt of the host's, starting on a fresh line.
    void prompt(const std::string& text);
    // Ends the output with a line break when the last text did not.
    void finish();
    // "vrkhost: text" on standard error, on a line of its own also where standard output and error
    // are one file.
    void report(const std::string& text);
    const std::string& captured() const { return mCaptured; }

private:
    void print(const std::string& text);
    bool mAtLineStart = true;
    bool mCapture = false;
    std::string mCaptured;
};

// The program's own messages on standard error ("vrkhost: ..."), through the console attached; an
// error is also kept for the record of a batch run.
void reportNote(const std::string& text);
void reportError(const std::string& text);
// The first error reported; empty when none was.
const std::string& firstError();

}  // namespace vrk::host
