#include "tools/options/parse.h"

#include <cstdio>
#include <cstring>

#include "tools/options/printable.h"

namespace vrk::options {

namespace {

// An option that takes one value or none is refused when given twice (CLI11 lets a flag be repeated);
// the rest (-c COMMAND, the paths) collect their values. The footer names them.
std::string refuseRepeatedOptions(CLI::App& app) {
    std::string repeatable;
    for (CLI::Option* pOption : app.get_options()) {
        if (pOption->get_multi_option_policy() == CLI::MultiOptionPolicy::TakeLast)
            pOption->multi_option_policy(CLI::MultiOptionPolicy::Throw);
        if (!pOption->get_positional() && pOption->get_expected_max() > 1)
            repeatable += (repeatable.empty() ? "" : ", ") + pOption->get_name();
    }
    return repeatable;
}

}  // namespace

int reportUsageError(const std::string& name, const std::string& reason) {
    std::fprintf(stderr, "%s: %s\nTry '%s --help'.\n", name.c_str(), printable(reason).c_str(), name.c_str());
    return kExitUsage;
}

std::optional<int> parseCommandLine(CLI::App& app, int argc, char** argv, const std::string& usage, Program program) {
    // An argument that begins with a slash is a path, also on Windows, not an option.
    app.allow_windows_style_options(false);
    const std::string repeatable = refuseRepeatedOptions(app);
    // "--name=" gives the option an empty value; CLI11 would take the next argument instead.
    for (int i = 1; i < argc && std::strcmp(argv[i], "--") != 0; ++i) {
        const size_t length = std::strlen(argv[i]);
        if (length > 3 && argv[i][0] == '-' && argv[i][1] == '-' && argv[i][length - 1] == '=' &&
            std::strchr(argv[i], '=') == argv[i] + length - 1)
            return reportUsageError(app.get_name(), std::string(argv[i], length - 1) + " has an empty value");
    }
    try {
        app.parse(argc, argv);
    } catch (const CLI::CallForHelp&) {
        const std::string help = usage + "\nEach option may be given once" +
                                 (repeatable.empty() ? "" : " (" + repeatable + " any number of times)") + ".\n\n" +
                                 exitStatusHelp(program);
        std::fputs(help.c_str(), stdout);
        return kExitSuccess;
    } catch (const CLI::CallForVersion& e) {
        std::puts(e.what());
        return kExitSuccess;
    } catch (const CLI::ParseError& e) {
        return reportUsageError(app.get_name(), e.what());
    }
    return std::nullopt;
}

}  // namespace vrk::options
