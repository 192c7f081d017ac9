#pragma once
// Why a file is not read or replaced, in the words every platform's sources give. Internal to
// emulator/fs.

namespace vrk::fs {

inline constexpr char kIsFolder[] = "it is a folder, not a drawing file";
inline constexpr char kIsSpecial[] = "it is not a regular file but a device, pipe or socket, and is left alone";
inline constexpr char kIsReadOnly[] = "it is read-only; make it writable or save under another name";

}  // namespace vrk::fs
