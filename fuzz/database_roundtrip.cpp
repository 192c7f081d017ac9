#include "fuzz/database_roundtrip.h"

#include <cstdio>
#include <fstream>

#include "emulator/db/drawing_files.h"
#include "emulator/host.h"
#include "emulator/calls/host_calls.h"
#include "arx/arx.h"
#include "solidify/solidify_command.h"

namespace vrk::fuzz {

namespace {

std::string heldAfter(const char* step) {
    auto& calls = vrk::emu::HostCalls::instance();
    if (calls.openObjects() != 0) return std::string(step) + ": objects left open";
    if (calls.liveIterators() != 0) return std::string(step) + ": iterators left alive";
    if (!calls.accessViolations().empty()) return std::string(step) + ": write through a read-only open";
    return "";
}

}  // namespace

std::string checkDatabaseRoundTrip(std::string_view bytes, const std::string& folder) {
    const std::string source = folder + "/in.dxf";
    const std::string target = folder + "/out.dxf";
    {
        std::ofstream out(source, std::ios::binary | std::ios::trunc);
        out.write(bytes.data(), std::streamsize(bytes.size()));
        if (!out) return "cannot write " + source;
    }
    std::remove(target.c_str());
    vrk::emu::resetHost();

    std::string failure;
    {
        AcDbDatabase db(false, false);
        if (db.readDwgFile(vrk::emu::toHost(source).c_str()) == Acad::eOk) {
            vrk::emu::setWorkingDatabase(&db);
            SolidifyCommand();
            failure = heldAfter("solidify");
            const Acad::ErrorStatus es = db.saveAs(vrk::emu::toHost(target).c_str());
            vrk::emu::setWorkingDatabase(nullptr);
            if (failure.empty() && es != Acad::eOk)
                failure = "a drawing that was read could not be saved: " + vrk::emu::lastDrawingFileReason();
            if (failure.empty()) {
                AcDbDatabase again(false, false);
                if (again.readDwgFile(vrk::emu::toHost(target).c_str()) != Acad::eOk)
                    failure = "the saved drawing does not read back: " + vrk::emu::lastDrawingFileReason();
            }
        }
    }
    if (failure.empty()) failure = heldAfter("reading and saving");
    vrk::emu::resetHost();
    return failure;
}

}  // namespace vrk::fuzz
