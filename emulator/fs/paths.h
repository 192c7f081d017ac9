#pragma once
// Splitting and joining paths as the system does: '/' separates; on Windows '\\' too, and a drive
// ("D:") is a folder of its own.

#include <string>

namespace vrk::fs {

// The folder part of a path ("." for none; a root keeps its separator: "/", "C:\\"; "D:" for the
// current folder of drive D).
std::string folderOf(const std::string& path);
// The last part of a path: the whole path when it has no separator.
std::string baseOf(const std::string& path);
// name in folder, as folderOf gives it.
std::string inFolder(const std::string& folder, const std::string& name);

}  // namespace vrk::fs
