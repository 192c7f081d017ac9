// vrkconvert-r16 / vrkconvert-r17: runs the plug-in's drawing-file conversion in an emulated host of
// one generation, the way a caller reaches it: the paths in USERS1 and USERS2, the outcome in USERI1.
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <string>

#include "convert/drawing_conversion.h"
#include "emulator/db/drawing_files.h"
#if defined(VRK_DRAWING_FILES)
#include "emulator/fs/file_identity.h"
#endif
#include "emulator/host.h"
#include "tools/options/exit_status.h"
#include "tools/platform/arguments.h"
#include "tools/platform/host_system.h"
#include "tools/platform/terminal.h"
#include "tools/vrkconvert/options.h"
#include "emulator/calls/host_calls.h"
#include "emulator/text.h"

namespace {

using namespace vrk::options;

// False, with the reason on standard error, when the host cannot take the path exactly.
bool setPath(const char* variable, const std::string& path) {
    const vrk::emu::HostString name = vrk::emu::toHost(variable);
    vrk::emu::HostString text;
    if (!vrk::emu::toHostExactly(path, text)) {
        std::cerr << "vrkconvert: cannot use " << path << ": " << vrk::emu::cannotTakeExactly(path) << '\n';
        return false;
    }
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
    vrk::convert::Options options;
    if (const std::optional<int> status = vrk::convert::parseOptions(argc, argv, options)) return *status;
    std::string error;
    if (options.host.lcid && !vrk::platform::useSystemLocale(*options.host.lcid, error)) {
        std::cerr << "vrkconvert: " << error << '\n';
        return kExitUsage;
    }
    const std::string paths[2] = {options.source, options.target};
    if (options.encoding != vrk::emu::SaveEncoding::AsRead) vrk::emu::setSaveEncoding(options.encoding);

#if defined(VRK_DRAWING_FILES)
    // The source is only read: the same file under another name (a link, ./) is no target.
    vrk::fs::FileIdentity source;
    vrk::fs::FileIdentity target;
    if (vrk::fs::identifyFile(paths[0], source) && vrk::fs::identifyFile(paths[1], target) &&
        source.sameFileAs(target)) {
        std::cerr << "vrkconvert: cannot save " << paths[1] << ": it is the source " << paths[0]
                  << " itself, which is only read; give another target\n";
        return kExitNotWritten;
    }
#endif
    vrk::emu::setPrintSink([](const std::string& text) { std::fwrite(text.data(), 1, text.size(), stdout); });
    if (!setPath("USERS1", paths[0]) || !setPath("USERS2", paths[1])) return kExitUsage;
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
        return kExitLeftOpen;
    }
    switch (status) {
        case CONVERSION_DONE:
            if (!options.quiet)
                std::cerr << "vrkconvert: wrote " << paths[1] << " (solidified from " << paths[0] << ")\n";
            return kExitSuccess;
        case CONVERSION_NO_FILE: return kExitNotRead;
        case CONVERSION_BAD_BLOCKS: return kExitBadBlocks;
        case CONVERSION_NOT_SAVED: return kExitNotWritten;
        default: return kExitFailed;
    }
}

}  // namespace

int main(int argc, char** argv) {
    vrk::platform::setUpHostStreams();
    return vrk::platform::runWithUtf8Arguments(argc, argv, run);
}
