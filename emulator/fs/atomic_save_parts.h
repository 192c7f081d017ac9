#pragma once
// The pieces of saveAtomically: the steps both platforms take (atomic_file.cpp) and the calls each
// platform makes its own way (atomic_file_posix.cpp, atomic_file_windows.cpp). Internal to emulator/fs.

#include <string>

#include "atomic_file.h"
#include "save_target.h"

namespace vrk::fs::save {

// Both platforms.

bool failWith(SaveError& err, SaveStatus status, std::string reason);
// The checks made before anything is written: err cleared, target resolved into place (links followed,
// what cannot be saved to refused) and, where checks asks for it, still absent.
bool beginSave(const std::string& target, SaveError& err, SaveChecks* checks, SaveTarget& place);
// Writes what produce gives into the open temporary file and flushes it to disk.
SaveError fillAndFlush(int fd, const Produce& produce, const SaveFaults* faults);
// Renames the complete temporary file over place under the save lock, after the checks; on failure
// temp is still there for the caller to remove.
bool putInPlace(const std::string& temp, const SaveTarget& place, SaveChecks* checks, const SaveFaults* faults,
                SaveError& err);

// Each platform its own.

// A short, unused-so-far name for a temporary file in folder: the target's own name may already be as
// long as names go.
std::string temporaryName(const std::string& folder);
// Renames temp to target, over a file there only when replace is set. False with the system's reason;
// exists tells a file that is already there.
bool moveInPlace(const std::string& temp, const std::string& target, bool replace, bool& exists, std::string& why);

}  // namespace vrk::fs::save
