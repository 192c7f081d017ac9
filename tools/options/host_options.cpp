#include "tools/options/host_options.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "tools/options/exit_status.h"

namespace vrk::options {

namespace {

// A system locale identifier: a 32-bit number, decimal or 0x-prefixed hexadecimal.
std::string checkLcid(const std::string& text) {
    char* end = nullptr;
    errno = 0;
    const unsigned long long value =
        text.empty() || text[0] == '-' ? 0 : std::strtoull(text.c_str(), &end, 0);
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
           "--lcid",
           [&options](const std::string& text) { options.lcid = std::strtoul(text.c_str(), nullptr, 0); },
           "system locale identifier")
        ->check(CLI::Validator([](std::string& text) { return checkLcid(text); }, "LCID"));
    app.set_version_flag("--version", app.get_name() + " (Varnikel) " VRK_VERSION, "show the version");
}

bool isR16Release(int release) {
    return release <= 2006;
}

std::optional<int> parseCommandLine(CLI::App& app, int argc, char** argv, const char* usage) {
    // An argument that begins with a slash is a path, also on Windows, not an option.
    app.allow_windows_style_options(false);
    // "--name=" gives the option an empty value; CLI11 would take the next argument instead.
    for (int i = 1; i < argc && std::strcmp(argv[i], "--") != 0; ++i) {
        const size_t length = std::strlen(argv[i]);
        if (length > 3 && argv[i][0] == '-' && argv[i][1] == '-' && argv[i][length - 1] == '=' &&
            std::strchr(argv[i], '=') == argv[i] + length - 1) {
            std::fprintf(stderr, "%s: %.*s has an empty value\nTry '%s --help'.\n", app.get_name().c_str(),
                         int(length - 1), argv[i], app.get_name().c_str());
            return kExitUsage;
        }
    }
    try {
        app.parse(argc, argv);
    } catch (const CLI::CallForHelp&) {
        std::fputs(usage, stdout);
        return kExitSuccess;
    } catch (const CLI::CallForVersion& e) {
        std::puts(e.what());
        return kExitSuccess;
    } catch (const CLI::ParseError& e) {
        std::fprintf(stderr, "%s: %s\nTry '%s --help'.\n", app.get_name().c_str(), e.what(),
                     app.get_name().c_str());
        return kExitUsage;
    }
    return std::nullopt;
}

}  // namespace vrk::options
