// vrkconvert-r16 / vrkconvert-r17: runs the plug-in's drawing-file conversion in an emulated host of
// one generation, the way a caller reaches it: the paths in USERS1 and USERS2, the outcome in USERI1.
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <string>

#include "convert/drawing_conversion.h"
#include "emulator/db/drawing_files.h"
#include "emulator/host.h"
#include "tools/vrkhost/windows_main.h"
#include "emulator/testing/host_calls.h"

#if defined(_WIN32)
#include <fcntl.h>
#include <io.h>
#include <windows.h>
#include <shellapi.h>

#include <vector>

#include "emulator/text.h"
#else
#include "emulator/win/win_control.h"
#endif

namespace {

const char kUsage[] =
    "Usage: vrkconvert [--release 2004|2005|2006|2007|2008] [--lcid N] SOURCE TARGET\n"
    "\n"
    "Solidifies the drawing file SOURCE into TARGET without opening either in the editor: the\n"
    "invisible entities of every block definition are erased; extension dictionaries, layer\n"
    "switches and everything else stay as they are. SOURCE is only read; TARGET is written\n"
    "through a temporary file beside it, so a failed run leaves any old TARGET as it was.\n"
    "\n"
    "It runs the Varnikel conversion routine in an emulated host of the given release (default\n"
    "2008): the paths go to USERS1 and USERS2, the routine reports in USERI1, and what it prints\n"
    "(\"Runtime ERROR[n]\") is printed here.\n"
    "\n"
    "  --release R   host release; 2004-2006 use narrow (ANSI) text, 2007-2008 wide text\n"
    "  --lcid N      system locale identifier to report instead of the environment's\n"
    "  -h, --help    show this help\n"
    "  --version     show the version\n"
    "\n"
    "Exit status: 0 TARGET written; 2 a path is missing or SOURCE cannot be read; 3 the drawing's\n"
    "block definitions cannot be walked; 4 TARGET cannot be written; 1 usage error or no status\n"
    "reported; 5 objects left open by the routine.\n";

bool setPath(const char* variable, const std::string& path) {
    const vrk::emu::HostString name = vrk::emu::toHost(variable);
    const vrk::emu::HostString text = vrk::emu::toHost(path);
    resbuf rb;
    rb.rbnext = nullptr;
    rb.restype = RTSTR;
    rb.resval.rstring = const_cast<ACHAR*>(text.c_str());
    return acedSetVar(name.c_str(), &rb) == RTNORM;
}

int conversionStatus() {
    resbuf rb;
    if (acedGetVar(ACRX_T("USERI1"), &rb) != RTNORM || rb.restype != RTSHORT) return 0;
    return rb.resval.rint;
}

int run(int argc, char** argv) {
    std::string paths[2];
    int pathCount = 0;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "-h" || arg == "--help") {
            std::fputs(kUsage, stdout);
            return 0;
        }
        if (arg == "--version") {
            std::fputs("vrkconvert (Varnikel) " VRK_VERSION "\n", stdout);
            return 0;
        }
        if ((arg == "--release" || arg == "--lcid") && i + 1 < argc) {
            const std::string value = argv[++i];
#if !defined(_WIN32)
            if (arg == "--lcid") vrk::win::setSystemLcid(static_cast<LCID>(std::strtoul(value.c_str(), nullptr, 0)));
#endif
            continue;  // the release picked this program
        }
        if (arg.rfind("--release=", 0) == 0) continue;
        if (arg.size() > 1 && arg[0] == '-') {
            std::cerr << "vrkconvert: unknown option " << arg << "\nTry 'vrkconvert --help'.\n";
            return 1;
        }
        if (pathCount == 2) {
            std::cerr << "vrkconvert: give one source and one target\nTry 'vrkconvert --help'.\n";
            return 1;
        }
        paths[pathCount++] = arg;
    }
    if (pathCount != 2) {
        std::cerr << "vrkconvert: give one source and one target\nTry 'vrkconvert --help'.\n";
        return 1;
    }

    vrk::emu::setPrintSink([](const std::string& text) { std::fwrite(text.data(), 1, text.size(), stdout); });
    if (!setPath("USERS1", paths[0]) || !setPath("USERS2", paths[1])) {
        std::cerr << "vrkconvert: the host does not take these paths\n";
        return 1;
    }
    ConvertDrawingFromUserVariables();
    const int status = conversionStatus();
    const std::string& printed = vrk::emu::transcript();
    if (!printed.empty() && printed.back() != '\n') std::fputc('\n', stdout);
    std::fflush(stdout);
    if ((status == CONVERSION_NO_FILE || status == CONVERSION_NOT_SAVED) && !vrk::emu::lastDrawingFileReason().empty())
        std::cerr << "vrkconvert: " << vrk::emu::lastDrawingFileReason() << '\n';

    const vrk::emu::HostCalls& calls = vrk::emu::HostCalls::instance();
    if (calls.openObjects() != 0 || calls.liveIterators() != 0) {
        std::cerr << "vrkconvert: the conversion left " << calls.openObjects() << " object(s) open and "
                  << calls.liveIterators() << " iterator(s) alive\n";
        return 5;
    }
    switch (status) {
        case CONVERSION_DONE: return 0;
        case CONVERSION_NO_FILE:
        case CONVERSION_BAD_BLOCKS:
        case CONVERSION_NOT_SAVED: return status;
        default: return 1;
    }
}

}  // namespace

#if defined(_WIN32)
int main() { return vrk::host::runWithUtf8Arguments(run); }
#else
int main(int argc, char** argv) { return run(argc, argv); }
#endif
