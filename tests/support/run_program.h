// Runs a program of the build and collects its standard output, standard error and exit status.
#pragma once

#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <unistd.h>

namespace vrk::test {

struct ProgramResult {
    int status = -1;
    std::string out;
    std::string err;
};

inline std::string readWholeFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// commandLine is given to the shell; stdin comes from input.
inline ProgramResult runProgram(const std::string& commandLine, const std::string& input = std::string()) {
    char folder[] = "/tmp/vrktestXXXXXX";
    ProgramResult result;
    if (mkdtemp(folder) == nullptr) return result;
    const std::string dir = folder;
    std::ofstream(dir + "/in", std::ios::binary) << input;
    const std::string full = "( " + commandLine + " ) <" + dir + "/in >" + dir + "/out 2>" + dir + "/err";
    const int rc = std::system(full.c_str());
    result.status = WIFEXITED(rc) ? WEXITSTATUS(rc) : -1;
    result.out = readWholeFile(dir + "/out");
    result.err = readWholeFile(dir + "/err");
    std::system(("rm -rf " + dir).c_str());
    return result;
}

}  // namespace vrk::test
