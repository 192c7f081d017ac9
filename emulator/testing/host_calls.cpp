#include "emulator/testing/host_calls.h"

#include <algorithm>

#include "emulator/db/stub.h"

namespace vrk::emu {

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

int HostCalls::enter(const char* op, const AcDbStub* pObject) {
    ++mCalls;
    if (!mLogging && mRules.empty()) return 0;
    const std::uint64_t handle = pObject != nullptr ? pObject->handle() : 0;
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

void HostCalls::objectOpened(const AcDbStub* pStub) {
    ++mOpenObjects;
    mOpen.push_back(pStub);
}

void HostCalls::objectClosed(const AcDbStub* pStub) {
    --mOpenObjects;
    auto it = std::find(mOpen.begin(), mOpen.end(), pStub);
    if (it != mOpen.end()) mOpen.erase(it);
}

std::vector<const AcDbStub*> HostCalls::openStubs() const { return mOpen; }

void HostCalls::forgetOpenStub(const AcDbStub* pStub) {
    mOpen.erase(std::remove(mOpen.begin(), mOpen.end(), pStub), mOpen.end());
}

void HostCalls::noteSlow(const char* op, const AcDbStub* pObject) {
    mLog.push_back(HostCall{op, pObject != nullptr ? pObject->handle() : 0});
}

}  // namespace vrk::emu
