// The host application services: the working database of the active document.
#include "emulator/host.h"
#include "emulator/rx/class_registry.h"
#include "emulator/rx/services.h"
#include "emulator/calls/host_calls.h"

VRK_DEFINE_DESC(AcDbHostApplicationServices)

namespace vrk::emu {

void resetCommandLine();
void resetStatusBar();
void clearApplications();
void clearDemandLoadWrites();
void clearDrawingFileReads();

namespace {
AcDbDatabase* gpWorkingDatabase = nullptr;

class HostApplicationServices : public AcDbHostApplicationServices {
public:
    AcDbDatabase* workingDatabase() const override {
        HostCalls::instance().note("workingDatabase");
        return gpWorkingDatabase;
    }
    AcRxClass* isA() const override { return AcDbHostApplicationServices::desc(); }
};
}  // namespace

void setWorkingDatabase(AcDbDatabase* pDb) { gpWorkingDatabase = pDb; }
AcDbDatabase* workingDatabase() { return gpWorkingDatabase; }

void resetHost() {
    resetCommandLine();
    resetStatusBar();
    resetSystemVariables();
    gpWorkingDatabase = nullptr;
    clearApplications();
    clearCommands();
    clearDemandLoadWrites();
    clearDrawingFileReads();
    HostCalls::instance().reset();
}

}  // namespace vrk::emu

AcDbHostApplicationServices* acdbHostApplicationServices() {
    static vrk::emu::HostApplicationServices services;
    return &services;
}
