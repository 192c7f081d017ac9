#pragma once
// Saving without ever leaving a half-written file: write a temporary file in the target's folder, flush
// it to disk, rename it over the target. On any failure the temporary file is removed and the target is
// as it was before (or still absent).
//
// The rename happens under a lock on the file replaced (save_lock.h), after checking that the path still
// leads to the file locked and, when the caller says which file it read, that this file is unchanged:
// of two saves of one file, exactly one wins. A target that did not exist is never replaced by the
// rename if a file appeared there meanwhile.
//
// The target is the file its path leads to through symbolic links (the link stays a link); a folder, a
// device, a pipe, a socket or a read-only file is refused. The new file takes the old one's permission
// bits (and owner and group where allowed; hidden and system attributes on Windows). On Linux the
// temporary file has no name until it is complete (O_TMPFILE), so a killed process leaves nothing;
// elsewhere a named one is removed on SIGINT, SIGTERM and SIGHUP, or a console Ctrl+C on Windows
// (signal_cleanup.h).

#include <cstdint>
#include <functional>
#include <string>

#include "file_identity.h"
#include "sink.h"

namespace vrk::fs {

enum class SaveStatus { Ok, Refused, CannotCreate, WriteFailed, FlushFailed, RenameFailed, Changed, NoBackup };

struct SaveError {
    SaveStatus status = SaveStatus::Ok;
    std::string reason;
};

// Faults to inject, for tests of the failure paths (a full disk, a failing flush or rename).
struct SaveFaults {
    std::int64_t failWriteAtByte = -1;  // writing fails once this many bytes have been written
    bool failFlush = false;
    bool failRename = false;
    bool noUnnamedFile = false;  // behave as on a file system without O_TMPFILE
};

// What the save checks and does under its lock, right before the new file is put in place.
struct SaveChecks {
    const FileIdentity* unchanged = nullptr;  // the target must still be this file, as it was
    bool absent = false;                      // the target must still not exist
    std::string backup;                       // a backup of the file replaced (save_backup.h); empty: none
    bool numberedBackup = false;
    std::string backupMade;  // set by the save: the backup's name, empty when none was made
};

// What a save writes: true when everything was given to the sink; false with a reason (or empty: the
// sink's error is the reason).
using Produce = std::function<bool(Sink&, std::string&)>;

// Calls produce with a sink on a temporary file beside target and renames it over target when produce
// returns true and everything reached the disk; true when the new file is in place. False with err
// filled otherwise, and then target is as it was and no temporary file is left. produce's error text
// ends up in err.reason; no reason names target (the caller does). saved, when given, gets the
// identity of the file written; checks, when given, are made under the lock (and backupMade set).
bool saveAtomically(const std::string& target, const Produce& produce, SaveError& err,
                    const SaveFaults* faults = nullptr, FileIdentity* saved = nullptr, SaveChecks* checks = nullptr);

}  // namespace vrk::fs
