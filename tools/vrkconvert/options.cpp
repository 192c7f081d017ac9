#include "tools/vrkconvert/options.h"

#include <cctype>

#include "tools/options/parse.h"
#include "tools/launcher/tool_command_line.h"

namespace vrk::convert {

namespace {

bool namesDwgFile(const std::string& name) {
    if (name.size() < 4) return false;
    std::string extension = name.substr(name.size() - 4);
    for (char& c : extension) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return extension == ".dwg";
}

const char kUsage[] =
    "Usage: vrkconvert [--release 2004|2005|2006|2007|2008] [--lcid N] [--ascii|--binary] [-q]\n"
    "                  SOURCE TARGET\n"
    "\n"
    "Solidifies the drawing file SOURCE into TARGET without opening either in the editor: the\n"
    "invisible entities of every block definition are erased; extension dictionaries (so the\n"
    "blocks stay dynamic), layer switches and everything else stay as they are. SOURCE is only\n"
    "read; TARGET is written through a temporary file beside it, so a failed run leaves any old\n"
    "TARGET as it was; a link is written through, a folder, special or read-only file refused,\n"
    "and a TARGET that appeared while it was written is left alone. TARGET is DXF: a name\n"
    "ending in .dwg is refused. One line on standard error says what was written.\n"
    "\n"
    "It runs the Varnikel conversion routine in an emulated host of the given release (default\n"
    "2008): the paths go to USERS1 and USERS2, the routine reports in USERI1, and what it prints\n"
    "(\"Runtime ERROR[n]\") is printed here.\n"
    "\n"
    "  --release R   host release; 2004-2006 use narrow (ANSI) text, 2007-2008 wide text\n"
    "  --lcid N      system locale identifier to report instead of the environment's\n"
    "  --ascii, --binary  write TARGET as ASCII or binary DXF (default: as SOURCE is)\n"
    "  -q, --quiet   no line on standard error when TARGET is written\n"
    "  -h, --help    show this help\n"
    "  --version     show the version\n";

}  // namespace

std::optional<int> parseOptions(int argc, char** argv, Options& options) {
    CLI::App app("", "vrkconvert");
    vrk::options::addHostOptions(app, options.host);
    vrk::options::addQuietFlag(app, options.quiet, "no line when TARGET is written");
    CLI::Option* pAscii = app.add_flag_callback("--ascii", [&] { options.encoding = vrk::emu::SaveEncoding::Ascii; });
    CLI::Option* pBinary =
        app.add_flag_callback("--binary", [&] { options.encoding = vrk::emu::SaveEncoding::Binary; });
    pAscii->excludes(pBinary);
    app.add_option("SOURCE", options.source)->required();
    app.add_option("TARGET", options.target)->required();
    if (const std::optional<int> status =
            vrk::options::parseCommandLine(app, argc, argv, kUsage, vrk::options::kVrkconvert))
        return status;
    std::string refusal;
    const std::string& target = options.target;
    if (options.source.empty()) refusal = "SOURCE is empty: it names no file";
    else if (target.empty()) refusal = "TARGET is empty: it names no file";
    else if (namesDwgFile(target))
        refusal = "TARGET " + target + " names a DWG file, but vrkconvert writes DXF only; give a name ending in .dxf";
    if (refusal.empty()) return std::nullopt;
    return vrk::options::reportUsageError(app.get_name(), refusal);
}

}  // namespace vrk::convert

std::optional<int> vrk::launcher::checkToolCommandLine(int argc, char** argv, int& release) {
    vrk::convert::Options options;
    const std::optional<int> status = vrk::convert::parseOptions(argc, argv, options);
    release = options.host.release;
    return status;
}
