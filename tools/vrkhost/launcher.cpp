// vrkhost: starts the host program of the generation that the release asked for belongs to
// (2004-2006: R16, narrow text; 2007-2008: R17, wide text), passing every argument on.
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

std::string releaseArgument(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--release") == 0 && i + 1 < argc) return argv[i + 1];
        if (std::strncmp(argv[i], "--release=", 10) == 0) return argv[i] + 10;
    }
    return "2008";
}

std::string programFolder() {
    std::vector<char> path(4096);
    const ssize_t n = readlink("/proc/self/exe", path.data(), path.size() - 1);
    if (n <= 0) return ".";
    std::string self(path.data(), static_cast<size_t>(n));
    return self.substr(0, self.find_last_of('/'));
}

}  // namespace

int main(int argc, char** argv) {
    const std::string release = releaseArgument(argc, argv);
    const char* generation = release == "2004" || release == "2005" || release == "2006" ? "r16" : "r17";
    const std::string program = programFolder() + "/vrkhost-" + generation;
    std::vector<char*> args(argv, argv + argc);
    args.push_back(nullptr);
    execv(program.c_str(), args.data());
    std::fprintf(stderr, "vrkhost: cannot start %s: %s\n", program.c_str(), std::strerror(errno));
    return 127;
}
