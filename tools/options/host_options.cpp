#include "tools/options/host_options.h"

#include <cerrno>
#include <cstdlib>
#include <string>

namespace vrk::options {

namespace {

// A system locale identifier: a 32-bit number, decimal or 0x-prefixed hexadecimal.
std::string checkLcid(const std::string& text) {
    char* end = nullptr;
    errno = 0;
    const unsigned long long value = text.empty() || text[0] == '-' ? 0 : std::strtoull(text.c_str(), &end, 0);
    if (end == nullptr || *end != '\0' || errno != 0 || value > 0xFFFFFFFFull)
        return "needs a locale identifier (a number such as 2052 or 0x804), not " + text;
    return std::string();
}

}  // namespace

void addHostOptions(CLI::App& app, HostOptions& options) {
    app.add_option("--release", options.release, "host release")
        ->check(CLI::Validator(
            [](std::string& text) -> std::string {
                if (text == "2004" || text == "2005" || text == "2006" || text == "2007" || text == "2008")
                    return std::string();
                return "unknown release " + text + " (2004 to 2008)";
            },
            "2004-2008"));
    app.add_option_function<std::string>(
           "--lcid", [&options](const std::string& text) { options.lcid = std::strtoul(text.c_str(), nullptr, 0); },
           "system locale identifier")
        ->check(CLI::Validator([](std::string& text) { return checkLcid(text); }, "LCID"));
    app.set_version_flag("--version", app.get_name() + " (Varnikel) " VRK_VERSION, "show the version");
}

void addQuietFlag(CLI::App& app, bool& quiet, const std::string& meaning) {
    app.add_flag("-q,--quiet", quiet, meaning);
}

bool isR16Release(int release) { return release <= 2006; }

}  // namespace vrk::options
