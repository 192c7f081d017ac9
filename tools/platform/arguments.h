// A program's entry: its arguments as UTF-8 whatever the system (on Windows the ANSI code page cannot
// hold every file name, the wide command line can).
#pragma once

namespace vrk::platform {

// Calls run with this program's arguments as UTF-8 and returns what it returns: on POSIX argc and argv
// as given, on Windows the wide command line split by CommandLineToArgvW.
int runWithUtf8Arguments(int argc, char** argv, int (*run)(int, char**));

}  // namespace vrk::platform
