// Observing and breaking the emulated host: a log of the host calls that may fail, fault injection
// on any of them, and the count of objects left open and iterators left alive.  The programs use it
// too: a command that leaves objects open fails.  Objects are known here by their handle, which the
// database hands in; nothing here knows the database.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace vrk::emu {

struct HostCall {
    std::string op;        // e.g. "acdbOpenAcDbObject", "AcDbBlockTable::newIterator"
    std::uint64_t handle;  // handle of the object the call concerns, 0 when none
};

// Makes calls fail.  A rule matches a call by operation name (empty: any) and object handle
// (0: any); it fires on the nth matching call (1-based; 0 means the first), only there when once,
// or there and on every later match when persistent.
struct FaultRule {
    std::string op;
    std::uint64_t handle = 0;
    long nth = 0;
    bool once = true;
    // For database operations an Acad::ErrorStatus; editor operations that report RT codes
    // return it when it is negative (RTCAN, RTERROR) and RTERROR otherwise.
    int error = 3;  // Acad::eInvalidInput
    long seen = 0;
    long fired = 0;
};

class HostCalls {
public:
    static HostCalls& instance();

    // Forget rules, log and counters of calls; open objects and iterators are not touched.
    void reset();

    void setLogging(bool on) { mLogging = on; }
    const std::vector<HostCall>& log() const { return mLog; }
    void clearLog() { mLog.clear(); }
    std::vector<std::string> loggedOps() const;

    void addFault(const FaultRule& rule) { mRules.push_back(rule); }
    // Fails the nth call that may fail, whatever it is; once, or from then on.
    void failNthCall(long nth, bool once, int error = 3);
    void clearFaults() { mRules.clear(); }
    long fallibleCalls() const { return mCalls; }
    long faultsFired() const;
    // The calls that a fault made fail, in order.
    const std::vector<HostCall>& failedCalls() const { return mFailed; }

    // Whether calls are logged or a fault may fire: only then does a call need its object's handle,
    // which costs a caller a lookup.
    bool watching() const { return mLogging || !mRules.empty(); }
    // Entered by every host operation that can fail, with the handle of the object it concerns (0:
    // none).  Returns 0 to go on, else the error to report.
    int enter(const char* op, std::uint64_t handle = 0);
    // Logs a call that cannot fail.
    void note(const char* op, std::uint64_t handle = 0) {
        if (mLogging) mLog.push_back(HostCall{op, handle});
    }

    // Accounting of what the plug-in holds.  An object is told apart by its address in the host
    // (never followed), since handles repeat across databases.
    void objectOpened(const void* pObject, std::uint64_t handle);
    void objectClosed(const void* pObject);
    int openObjects() const { return mOpenObjects; }
    std::vector<std::uint64_t> openHandles() const;
    // A database went away with pObject still open: keep the count, forget the object.
    void forgetOpenObject(const void* pObject);
    void iteratorCreated() { ++mLiveIterators; }
    void iteratorDeleted() { --mLiveIterators; }
    int liveIterators() const { return mLiveIterators; }

    // Writes through an object that was not opened for write (the real host asserts on them).
    void writeWithoutWriteAccess(const char* op) { mAccessViolations.push_back(op); }
    const std::vector<std::string>& accessViolations() const { return mAccessViolations; }

private:
    bool mLogging = false;
    std::vector<HostCall> mLog;
    std::vector<FaultRule> mRules;
    std::vector<HostCall> mFailed;
    long mCalls = 0;
    int mOpenObjects = 0;
    int mLiveIterators = 0;
    std::vector<std::pair<const void*, std::uint64_t>> mOpen;
    std::vector<std::string> mAccessViolations;
};

}  // namespace vrk::emu
