// The status bar's progress meter.
#include "emulator/host.h"
#include "emulator/calls/host_calls.h"

namespace vrk::emu {

namespace {
struct StatusBarState {
    std::vector<StatusBarEvent> events;
    bool meterShown = false;
    bool keepEvents = true;
    std::function<void(const StatusBarEvent&)> sink;
};
StatusBarState& state() {
    static StatusBarState s;
    return s;
}
void record(StatusBarEvent event) {
    if (state().sink) state().sink(event);
    if (state().keepEvents) state().events.push_back(std::move(event));
}
}  // namespace

const std::vector<StatusBarEvent>& statusBarEvents() { return state().events; }
void clearStatusBarEvents() { state().events.clear(); }
void keepStatusBarEvents(bool keep) {
    state().keepEvents = keep;
    if (!keep) std::vector<StatusBarEvent>().swap(state().events);
}
bool progressMeterShown() { return state().meterShown; }
void setStatusBarSink(std::function<void(const StatusBarEvent&)> sink) { state().sink = std::move(sink); }
void resetStatusBar() {
    state().events.clear();
    state().meterShown = false;
}

}  // namespace vrk::emu

using namespace vrk::emu;

int acedSetStatusBarProgressMeter(const ACHAR* pszLabel, int nMinPos, int nMaxPos) {
    if (int rc = HostCalls::instance().enter("acedSetStatusBarProgressMeter")) return rc < 0 ? rc : RTERROR;
    if (nMinPos > nMaxPos) return RTERROR;
    state().meterShown = true;
    record(StatusBarEvent{StatusBarEvent::Meter, pszLabel ? HostString(pszLabel) : HostString(), nMinPos, nMaxPos});
    return 0;
}

int acedSetStatusBarProgressMeterPos(int nPos) {
    if (int rc = HostCalls::instance().enter("acedSetStatusBarProgressMeterPos")) return rc < 0 ? rc : RTERROR;
    if (!state().meterShown) return RTERROR;
    record(StatusBarEvent{StatusBarEvent::Position, HostString(), nPos, 0});
    return 0;
}

void acedRestoreStatusBar() {
    HostCalls::instance().note("acedRestoreStatusBar");
    state().meterShown = false;
    record(StatusBarEvent{StatusBarEvent::Restore, HostString(), 0, 0});
}
