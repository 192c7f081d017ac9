#include "tools/vrkhost/session.h"

#if defined(_WIN32)
#include <io.h>
#include <windows.h>
#else
#include <unistd.h>
#endif

#include <vector>

#include "emulator/db/drawing_files.h"
#include "emulator/host.h"
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
    if (vrk::win::loadRegistry(mOptions.registryFile)) return true;
    error = "cannot read the registry file " + mOptions.registryFile;
    return false;
}

bool Session::saveRegistry(std::string& error) {
    if (mOptions.registryFile.empty() || vrk::win::saveRegistry(mOptions.registryFile)) return true;
    error = "cannot write the registry file " + mOptions.registryFile;
    return false;
}
#endif

bool Session::newDrawing() {
    mpDb = std::make_unique<AcDbDatabase>(true, false);
    mDrawingPath.clear();
    vrk::emu::setWorkingDatabase(mpDb.get());
    return true;
}

namespace {
// A narrow host passes file names in the system's ANSI code page; a name with characters the code page
// lacks would reach the file system as another name ("?" in their place), and a save would write there.
bool hostCanName(const std::string& path, const char* action, std::string& error) {
    if (vrk::emu::fromHost(vrk::emu::toHost(path).c_str()) == path) return true;
    error = std::string("cannot ") + action + " " + path + ": the name has characters that the host's code page cannot hold";
    return false;
}
}  // namespace

bool Session::openDrawing(const std::string& path, std::string& error) {
    if (!hostCanName(path, "read", error)) return false;
    auto pDb = std::make_unique<AcDbDatabase>(false, true);
    Acad::ErrorStatus es = pDb->readDwgFile(vrk::emu::toHost(path).c_str(), _SH_DENYWR, false, nullptr);
    if (es != Acad::eOk) {
        error = "cannot read " + path + ": " + vrk::emu::lastDrawingFileError(es);
        return false;
    }
    mpDb = std::move(pDb);
    mDrawingPath = path;
    vrk::emu::setWorkingDatabase(mpDb.get());
    return true;
}

bool Session::saveDrawing(const std::string& path, std::string& error) {
    if (!hostCanName(path, "save", error)) return false;
    Acad::ErrorStatus es = mpDb->saveAs(vrk::emu::toHost(path).c_str());
    if (es != Acad::eOk) {
        error = "cannot save " + path + ": " + vrk::emu::lastDrawingFileError(es);
        return false;
    }
    return true;
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
    const char* suffix = mOptions.release <= 2006 ? ".arx" : ".dll";
    return folder + "/Varnikel_" + std::to_string(mOptions.release) + suffix;
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
