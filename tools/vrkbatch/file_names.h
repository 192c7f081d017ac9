// How the batch names and tells apart the files it works on, the same way on Linux and on Windows
// (tools/platform/files.h).
#pragma once

#include <filesystem>
#include <string>

#include "tools/platform/files.h"

namespace vrk::batch {

using vrk::platform::absoluteName;
using vrk::platform::fileIdentity;
using vrk::platform::FolderEntry;
using vrk::platform::isFolder;
using vrk::platform::readFolder;
using vrk::platform::systemName;

// What makes two names one: the file behind them where there is one, else the absolute name with its
// existing folders resolved (without case on Windows).
std::string nameIdentity(const std::filesystem::path& path);

// NAME.bak beside the drawing NAME.dxf, as the CAD program keeps it.
std::filesystem::path backupOf(const std::filesystem::path& drawing);

// Whether the name ends in extension (".dxf"), in any case.
bool hasExtension(const std::filesystem::path& path, const char* extension);

}  // namespace vrk::batch
