#include "emulator/calls/host_calls.h"

#include <algorithm>

namespace vrk::emu {

namespace {

auto isObject(const void* pObject) {
    return [pObject](const std::pair<const void*, std::uint64_t>& open) { return open.first == pObject; };
}

}  // namespace

HostCalls& HostCalls::instance() {
    static HostCalls calls;
    return calls;
}

void HostCalls::reset() {
    mLogging = false;
    mLog.clear();
    mRules.clear();
    mFailed.clear();
    mCalls = 0;
    mAccessViolations.clear();
}

std::vector<std::string> HostCalls::loggedOps() const {
    std::vector<std::string> ops;
    ops.reserve(mLog.size());
    for (const HostCall& call : mLog) ops.push_back(call.op);
    return ops;
}

void HostCalls::failNthCall(long nth, bool once, int error) {
    FaultRule rule;
    rule.nth = nth;
    rule.once = once;
    rule.error = error;
    mRules.push_back(rule);
}

long HostCalls::faultsFired() const {
    long fired = 0;
    for (const FaultRule& rule : mRules) fired += rule.fired;
    return fired;
}

int HostCalls::enter(const char* op, std::uint64_t handle) {
    ++mCalls;
    if (!watching()) return 0;
    if (mLogging) mLog.push_back(HostCall{op, handle});
    int error = 0;
    for (FaultRule& rule : mRules) {
        if (!rule.op.empty() && rule.op != op) continue;
        if (rule.handle != 0 && rule.handle != handle) continue;
        const long n = ++rule.seen;
        const long first = rule.nth > 0 ? rule.nth : 1;
        const bool fires = rule.once ? n == first : n >= first;
        if (fires && error == 0) {
            ++rule.fired;
            error = rule.error;
        }
    }
    if (error != 0) mFailed.push_back(HostCall{op, handle});
    return error;
}

void HostCalls::objectOpened(const void* pObject, std::uint64_t handle) {
    ++mOpenObjects;
    mOpen.emplace_back(pObject, handle);
}

void HostCalls::objectClosed(const void* pObject) {
    --mOpenObjects;
    auto it = std::find_if(mOpen.begin(), mOpen.end(), isObject(pObject));
    if (it != mOpen.end()) mOpen.erase(it);
}

std::vector<std::uint64_t> HostCalls::openHandles() const {
    std::vector<std::uint64_t> handles;
    handles.reserve(mOpen.size());
    for (const auto& open : mOpen) handles.push_back(open.second);
    return handles;
}

void HostCalls::forgetOpenObject(const void* pObject) {
    mOpen.erase(std::remove_if(mOpen.begin(), mOpen.end(), isObject(pObject)), mOpen.end());
}

}  // namespace vrk::emu
