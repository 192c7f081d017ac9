// One run of the host program: the registry, the open drawing and the loaded module.
#pragma once

#include <memory>
#include <string>

#include "emulator/rx/services.h"
#include "tools/vrkhost/options.h"

namespace vrk::host {

class Session {
public:
    explicit Session(const Options& options) : mOptions(options) {}
    ~Session();

    // Each returns false with a message in error.
    bool loadRegistry(std::string& error);
    bool saveRegistry(std::string& error);
    bool openDrawing(const std::string& path, std::string& error);
    bool newDrawing();
    bool saveDrawing(const std::string& path, std::string& error);
    bool loadModule(std::string& error);
    void unloadModule();

    AcDbDatabase* database() const { return mpDb.get(); }
    const std::string& drawingPath() const { return mDrawingPath; }
    // "the changes to NAME were not saved" when a command changed the drawing since it was read or
    // last saved; empty otherwise.
    std::string unsavedChanges() const;

private:
    std::string modulePath() const;
    Options mOptions;
    std::unique_ptr<AcDbDatabase> mpDb;
    std::string mDrawingPath;
    unsigned long long mSavedModifications = 0;  // the database's count when read or last saved
    vrk::emu::LoadedModule* mpModule = nullptr;
};

}  // namespace vrk::host
