#include "tools/vrkhost/session.h"

#include <iostream>

#include "emulator/db/drawing_files.h"
#include "emulator/host.h"
#include "tools/platform/host_system.h"
#include "tools/platform/own_path.h"
#include "tools/vrkhost/console.h"

namespace vrk::host {

Session::~Session() {
    unloadModule();
    vrk::emu::setWorkingDatabase(nullptr);
}

bool Session::loadRegistry(std::string& error) {
    return mOptions.registryFile.empty() || vrk::platform::loadRegistryFile(mOptions.registryFile, error);
}

bool Session::saveRegistry(std::string& error) {
    return mOptions.registryFile.empty() || vrk::platform::saveRegistryFile(mOptions.registryFile, error);
}

bool Session::newDrawing() {
    mpDb = std::make_unique<AcDbDatabase>(true, false);
    mDrawingPath.clear();
    mSavedModifications = vrk::emu::modificationCount(mpDb.get());
    vrk::emu::setWorkingDatabase(mpDb.get());
    return true;
}

bool Session::openDrawing(const std::string& path, std::string& error) {
    vrk::emu::HostString name;
    if (!vrk::emu::toHostExactly(path, name)) {
        error = "cannot read " + path + ": " + vrk::emu::cannotTakeExactly(path);
        return false;
    }
    auto pDb = std::make_unique<AcDbDatabase>(false, true);
    Acad::ErrorStatus es = pDb->readDwgFile(name.c_str(), _SH_DENYWR, false, nullptr);
    if (es != Acad::eOk) {
        error = vrk::emu::lastDrawingFileError(es);
        return false;
    }
    mpDb = std::move(pDb);
    mDrawingPath = path;
    mSavedModifications = vrk::emu::modificationCount(mpDb.get());
    vrk::emu::setWorkingDatabase(mpDb.get());
    return true;
}

bool Session::saveDrawing(const std::string& path, std::string& error) {
    vrk::emu::HostString name;
    if (!vrk::emu::toHostExactly(path, name)) {
        error = "cannot save " + path + ": " + vrk::emu::cannotTakeExactly(path);
        return false;
    }
    Acad::ErrorStatus es = mpDb->saveAs(name.c_str());
    if (es != Acad::eOk) {
        error = vrk::emu::lastDrawingFileError(es);
        return false;
    }
    mSavedModifications = vrk::emu::modificationCount(mpDb.get());
    if (!mOptions.quiet) reportNote("saved the drawing to " + path);
    return true;
}

std::string Session::unsavedChanges() const {
    // Objects opened for write that ended as they were read leave nothing to save.
    if (vrk::emu::modificationCount(mpDb.get()) == mSavedModifications || !vrk::emu::differsFromFileRead(mpDb.get()))
        return std::string();
    return "the changes to " + (mDrawingPath.empty() ? std::string("the new drawing") : mDrawingPath) +
           " were not saved";
}

std::string Session::modulePath() const {
    if (!mOptions.module.empty()) return mOptions.module;
    const std::string folder = vrk::platform::ownFolder().u8string();
    const char* suffix = vrk::options::isR16Release(mOptions.host.release) ? ".arx" : ".dll";
    return folder + "/Varnikel_" + std::to_string(mOptions.host.release) + suffix;
}

bool Session::loadModule(std::string& error) {
    const std::string path = modulePath();
    mpModule = vrk::emu::loadModule(path, error);
    if (mpModule == nullptr) error = "cannot load the module " + path + ": " + error;
    return mpModule != nullptr;
}

void Session::unloadModule() {
    vrk::emu::unloadModule(mpModule);
    mpModule = nullptr;
}

}  // namespace vrk::host
