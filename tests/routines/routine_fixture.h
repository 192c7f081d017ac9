// The host fixture in a known locale (US English unless a test picks another), and what the fault
// sweeps need to judge a run: which calls were made to fail.
#pragma once

#include <algorithm>
#include <string>
#include <vector>

#include "emulator/win/win_control.h"
#include "tests/support/host_fixture.h"

namespace vrk::test {

class RoutineTest : public HostTest {
protected:
    void SetUp() override {
        HostTest::SetUp();
        vrk::win::setSystemLcid(1033);
    }
    void TearDown() override {
        HostTest::TearDown();
        vrk::win::clearSystemLcid();
    }

    // Starts a sweep run on the current drawing: a fresh host whose nth fallible call fails.
    void armFault(long n, bool once) {
        vrk::emu::resetHost();
        vrk::emu::setWorkingDatabase(db());
        hostCalls().failNthCall(n, once);
    }
    // Ends a sweep run: faults off, so that the test can look at the drawing.
    static void disarm() { hostCalls().clearFaults(); }

    static bool failed(const std::string& op, AcDbObjectId id = AcDbObjectId::kNull) {
        const std::vector<vrk::emu::HostCall>& calls = hostCalls().failedCalls();
        return std::any_of(calls.begin(), calls.end(), [&](const vrk::emu::HostCall& call) {
            return call.op == op && (id.isNull() || call.handle == id.handle());
        });
    }
    static bool failedAny(std::initializer_list<const char*> ops) {
        return std::any_of(ops.begin(), ops.end(), [](const char* op) { return failed(op); });
    }
    static long countOps(const std::string& op) {
        const std::vector<std::string> ops = hostCalls().loggedOps();
        return std::count(ops.begin(), ops.end(), op);
    }
};

}  // namespace vrk::test
