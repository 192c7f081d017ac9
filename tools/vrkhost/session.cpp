#include "tools/vrkhost/session.h"

#if defined(_WIN32)
#include <io.h>
#include <windows.h>
#else
#include <unistd.h>
#endif

#include <iostream>
#include <vector>

#include "emulator/db/drawing_files.h"
#include "emulator/host.h"
#include "tools/vrkhost/console.h"
#if !defined(_WIN32)
#include "emulator/win/win_control.h"
#endif

namespace vrk::host {

Session::~Session() {
    unloadModule();
    vrk::emu::setWorkingDatabase(nullptr);
}

#if defined(_WIN32)
// The real registry keeps its content by itself; a registry file belongs to the emulated one.
bool Session::loadRegistry(std::string& error) {
    if (mOptions.registryFile.empty()) return true;
    error = "--registry needs the emulated registry; on Windows the real one is used";
    return false;
}

bool Session::saveRegistry(std::string&) { return true; }
#else
bool Session::loadRegistry(std::string& error) {
    if (mOptions.registryFile.empty() || access(mOptions.registryFile.c_str(), F_OK) != 0) return true;
    std::string reason;
    if (vrk::win::loadRegistry(mOptions.registryFile, &reason)) return true;
    error = "cannot read the registry file " + mOptions.registryFile + ": " + reason;
    return false;
}

bool Session::saveRegistry(std::string& error) {
    std::string reason;
    if (mOptions.registryFile.empty() || vrk::win::saveRegistry(mOptions.registryFile, &reason)) return true;
    error = "cannot write the registry file " + mOptions.registryFile + ": " + reason +
            " (the demand-load entries of this run are lost)";
    return false;
}
#endif

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
    if (vrk::emu::modificationCount(mpDb.get()) == mSavedModifications ||
        !vrk::emu::differsFromFileRead(mpDb.get()))
        return std::string();
    return "the changes to " + (mDrawingPath.empty() ? std::string("the new drawing") : mDrawingPath) +
           " were not saved";
}

std::string Session::modulePath() const {
    if (!mOptions.module.empty()) return mOptions.module;
#if defined(_WIN32)
    std::vector<wchar_t> self(32768);
    const DWORD n = GetModuleFileNameW(nullptr, self.data(), static_cast<DWORD>(self.size()));
    std::string folder = n > 0 ? vrk::emu::wideToUtf8(std::wstring(self.data(), n)) : std::string(".\\x");
    folder = folder.substr(0, folder.find_last_of("\\/"));
#else
    std::vector<char> self(4096);
    const ssize_t n = readlink("/proc/self/exe", self.data(), self.size() - 1);
    std::string folder = n > 0 ? std::string(self.data(), static_cast<size_t>(n)) : std::string("./x");
    folder = folder.substr(0, folder.find_last_of('/'));
#endif
    const char* suffix = mOptions.host.release <= 2006 ? ".arx" : ".dll";
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
