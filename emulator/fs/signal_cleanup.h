#pragma once
// A named temporary file that must not outlive the process: while one of these lives, SIGINT, SIGTERM
// and SIGHUP remove the file before the process ends as the signal says; on Windows a console Ctrl+C,
// Ctrl+Break or closed console removes it and ends the process with status 130, saying so on
// standard error. There the file must be open with FILE_SHARE_DELETE.
// One at a time: the host saves one drawing at a time.

#include <string>

namespace vrk::fs {

class RemoveOnSignal {
public:
    // Arms the removal of path (a path too long to keep is not armed: the file may then be left).
    explicit RemoveOnSignal(const std::string& path);
    // Disarms it and puts back the handlers that were there before.
    ~RemoveOnSignal();
    RemoveOnSignal(const RemoveOnSignal&) = delete;
    RemoveOnSignal& operator=(const RemoveOnSignal&) = delete;

private:
    bool mArmed = false;
};

}  // namespace vrk::fs
