// One command line as typed, in a -c option or a line of a script: a command name and its arguments.
#pragma once

#include <string>
#include <vector>

namespace vrk::host {

struct CommandLine {
    std::string name;                    // empty for a blank line
    std::vector<std::string> arguments;  // without their quotes
    std::string rest;                    // everything after the name as typed, blanks trimmed
};

// Splits line at blanks; "a b" is one argument a b, and inside quotes \" is a quote. A carriage return at the
// end (a script with CRLF line ends) is no part of the line. False with the reason in error for an unclosed
// quote.
bool splitCommandLine(std::string line, CommandLine& command, std::string& error);

}  // namespace vrk::host
