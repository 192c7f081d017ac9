#include "tools/platform/arguments.h"

namespace vrk::platform {

int runWithUtf8Arguments(int argc, char** argv, int (*run)(int, char**)) { return run(argc, argv); }

}  // namespace vrk::platform
