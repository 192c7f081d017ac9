#include "tools/vrkhost/options.h"

#include <cstdlib>
#include <cstring>

namespace vrk::host {

const char kUsage[] =
    "Usage: vrkhost [--release 2004|2005|2006|2007|2008] [--module FILE] [--lcid N]\n"
    "               [--registry FILE] [-c COMMAND]... [DRAWING]\n"
    "\n"
    "Runs the emulated CAD host of the given release (default 2008) with one drawing open,\n"
    "loads the Varnikel module into it and runs host commands.\n"
    "\n"
    "  --release R      host release; 2004-2006 are R16 hosts with narrow (ANSI) text,\n"
    "                   2007-2008 R17 hosts with wide text\n"
    "  --module FILE    module to load instead of the release's own Varnikel_R.arx/.dll,\n"
    "                   which is looked for beside this program\n"
    "  --lcid N         system locale identifier to report (2052 and 1028 are Chinese);\n"
    "                   without it the locale follows LC_ALL, LC_CTYPE or LANG\n"
    "  --registry FILE  keep the emulated Windows registry (demand-load entries) in FILE,\n"
    "                   read at start and written at exit; without it the registry lives\n"
    "                   in memory\n"
    "  -c COMMAND       run COMMAND; may be repeated, commands run in order. Without -c,\n"
    "                   command lines are read from standard input (prompting \"Command: \"\n"
    "                   on a terminal)\n"
    "  DRAWING          drawing file (DXF) to open; without it the host starts a new drawing\n"
    "  -h, --help       show this help\n"
    "  --version        show the version\n"
    "\n"
    "A command line is a command name and its arguments. Names are looked up ignoring case\n"
    "among the commands the module registered (global and local names: vrk or Varnikel to\n"
    "solidify the drawing's dynamic blocks, VRK_HELP or VRK_Help_Online for the help page)\n"
    "and the host's own:\n"
    "  SETVAR name value   set a system variable (DWGCHECK, USERI1-5, USERR1-5, USERS1-5)\n"
    "  GETVAR name         print a system variable's value\n"
    "  OPEN file           open another drawing in place of the current one\n"
    "  SAVE                write the drawing back to the file it was opened from\n"
    "  SAVEAS file         write the drawing to file\n"
    "  INFO                print a summary of the drawing's blocks and layers\n"
    "  QUIT                end the session\n"
    "\n"
    "What the module prints goes to standard output; the progress meter is drawn on standard\n"
    "error when that is a terminal. After each command, objects left open and iterators left\n"
    "alive are reported on standard error.\n"
    "\n"
    "Exit status: 0 success; 1 an unknown command or a host command that failed; 2 a usage\n"
    "error; 3 the drawing or the registry file could not be read; 4 the module could not be\n"
    "loaded; 5 a command left objects open or iterators alive.\n";

namespace {
bool parseNumber(const std::string& text, unsigned long& value) {
    if (text.empty()) return false;
    char* end = nullptr;
    value = std::strtoul(text.c_str(), &end, 0);
    return end != nullptr && *end == '\0';
}
}  // namespace

bool parseOptions(int argc, char** argv, Options& options, std::string& error) {
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        std::string value;
        auto takeValue = [&](const char* name) {
            const std::string prefix = std::string(name) + "=";
            if (arg.rfind(prefix, 0) == 0) {
                value = arg.substr(prefix.size());
                return true;
            }
            if (arg != name) return false;
            if (i + 1 >= argc) {
                error = std::string(name) + " needs a value";
                value.clear();
                return true;
            }
            value = argv[++i];
            return true;
        };
        if (arg == "-h" || arg == "--help") {
            options.help = true;
        } else if (arg == "--version") {
            options.version = true;
        } else if (takeValue("--release")) {
            if (!error.empty()) return false;
            if (value != "2004" && value != "2005" && value != "2006" && value != "2007" && value != "2008") {
                error = "unknown release " + value + " (2004 to 2008)";
                return false;
            }
            options.release = std::atoi(value.c_str());
        } else if (takeValue("--module")) {
            if (!error.empty()) return false;
            options.module = value;
        } else if (takeValue("--lcid")) {
            unsigned long lcid = 0;
            if (!error.empty()) return false;
            if (!parseNumber(value, lcid)) {
                error = "--lcid needs a number, not " + value;
                return false;
            }
            options.lcid = lcid;
        } else if (takeValue("--registry")) {
            if (!error.empty()) return false;
            options.registryFile = value;
        } else if (takeValue("-c")) {
            if (!error.empty()) return false;
            options.commands.push_back(value);
        } else if (arg.size() > 1 && arg[0] == '-') {
            error = "unknown option " + arg;
            return false;
        } else if (options.drawing.empty()) {
            options.drawing = arg;
        } else {
            error = "only one drawing can be opened";
            return false;
        }
    }
    return true;
}

}  // namespace vrk::host
