#include "tools/vrkhost/command_line.h"

namespace vrk::host {

namespace {

bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\r'; }

}  // namespace

bool splitCommandLine(std::string line, CommandLine& command, std::string& error) {
    command = CommandLine();
    while (!line.empty() && isBlank(line.back())) line.pop_back();
    std::vector<std::string> words;
    size_t afterName = std::string::npos;
    for (size_t i = 0; i < line.size();) {
        if (isBlank(line[i])) {
            ++i;
            continue;
        }
        if (words.size() == 1) afterName = i;
        std::string word;
        while (i < line.size() && !isBlank(line[i])) {
            if (line[i] != '"') {
                word += line[i++];
                continue;
            }
            // Inside quotes \" is a quote; any other backslash stays (C:\dir, \\server).
            size_t close = i + 1;
            for (; close < line.size() && line[close] != '"'; ++close) {
                if (line[close] == '\\' && close + 1 < line.size() && line[close + 1] == '"') ++close;
                word += line[close];
            }
            if (close == line.size()) {
                error = "no closing quote in: " + line;
                return false;
            }
            i = close + 1;
        }
        words.push_back(word);
    }
    if (words.empty()) return true;
    command.name = words.front();
    command.arguments.assign(words.begin() + 1, words.end());
    if (afterName != std::string::npos) command.rest = line.substr(afterName);
    return true;
}

}  // namespace vrk::host
