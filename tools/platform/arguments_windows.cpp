#include "tools/platform/arguments.h"

#include <windows.h>
#include <shellapi.h>

#include <string>
#include <vector>

#include "tools/platform/utf16.h"

namespace vrk::platform {

int runWithUtf8Arguments(int, char**, int (*run)(int, char**)) {
    int argc = 0;
    LPWSTR* wideArgv = CommandLineToArgvW(GetCommandLineW(), &argc);
    std::vector<std::string> args;
    for (int i = 0; i < argc; ++i) args.push_back(narrow(wideArgv[i]));
    LocalFree(wideArgv);
    std::vector<char*> argv;
    for (std::string& arg : args) argv.push_back(arg.data());
    argv.push_back(nullptr);
    return run(argc, argv.data());
}

}  // namespace vrk::platform
