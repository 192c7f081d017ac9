#pragma once
// A named temporary file that must not outlive the process: while one of these lives, SIGINT, SIGTERM
// and SIGHUP (SIGBREAK on Windows) remove the file before the process ends as the signal says.
// One at a time: the host saves one drawing at a time.

#include <string>

namespace vrk::dxf {

class RemoveOnSignal {
public:
    explicit RemoveOnSignal(const std::string& path);
    ~RemoveOnSignal();
    RemoveOnSignal(const RemoveOnSignal&) = delete;
    RemoveOnSignal& operator=(const RemoveOnSignal&) = delete;

private:
    bool armed_ = false;
};

}  // namespace vrk::dxf
