#include "tools/vrkbatch/host_options.h"

#include <cstdlib>

namespace vrk::batch {

void addHostOptions(CLI::App& app, HostOptions& options) {
    app.add_option("--release", options.release, "host release, 2004-2006 narrow (ANSI) text, 2007-2008 wide (default 2008)")
        ->check(CLI::IsMember({2004, 2005, 2006, 2007, 2008}));
    // A number as the host program reads it: decimal, or hexadecimal with 0x.
    app.add_option_function<std::string>(
           "--lcid",
           [&options](const std::string& text) {
               char* end = nullptr;
               const unsigned long value = std::strtoul(text.c_str(), &end, 0);
               if (text.empty() || *end != '\0') throw CLI::ValidationError("--lcid", "needs a number, not " + text);
               options.lcid = value;
           },
           "system locale identifier the hosts report (2052 and 1028 are Chinese)")
        ->type_name("N");
}

}  // namespace vrk::batch
