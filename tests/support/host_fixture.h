// A fresh emulated host with a new working drawing for every test, and the check that every test
// ends with nothing left open and no iterator alive.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "emulator/db/builder.h"
#include "emulator/host.h"
#include "emulator/calls/host_calls.h"
#include "emulator/text.h"
#include "arx/arx.h"

namespace vrk::test {

inline vrk::emu::HostCalls& hostCalls() { return vrk::emu::HostCalls::instance(); }

// Sets a string system variable (USERS1 ...) to a UTF-8 value, as the plug-in's caller would.
inline int setStringVariable(const ACHAR* name, const std::string& utf8) {
    const vrk::emu::HostString text = vrk::emu::toHost(utf8);
    resbuf rb;
    rb.rbnext = nullptr;
    rb.restype = RTSTR;
    rb.resval.rstring = const_cast<ACHAR*>(text.c_str());
    return acedSetVar(name, &rb);
}

class HostTest : public ::testing::Test {
protected:
    void SetUp() override {
        vrk::emu::resetHost();
        mpDb = std::make_unique<AcDbDatabase>(true, false);
        vrk::emu::setWorkingDatabase(mpDb.get());
        builder = std::make_unique<vrk::emu::DrawingBuilder>(mpDb.get());
    }

    void TearDown() override {
        expectNothingHeld();
        vrk::emu::setWorkingDatabase(nullptr);
        mpDb.reset();
        vrk::emu::resetHost();
    }

    static void expectNothingHeld() {
        EXPECT_EQ(hostCalls().openObjects(), 0) << "objects left open";
        EXPECT_EQ(hostCalls().liveIterators(), 0) << "iterators left alive";
        EXPECT_TRUE(hostCalls().accessViolations().empty())
            << "write through a read-only open: " << hostCalls().accessViolations().front();
    }

    // Replaces the working drawing by a new one.
    void newDrawing() {
        mpDb = std::make_unique<AcDbDatabase>(true, false);
        vrk::emu::setWorkingDatabase(mpDb.get());
        builder = std::make_unique<vrk::emu::DrawingBuilder>(mpDb.get());
    }

    AcDbDatabase* db() const { return mpDb.get(); }
    const std::string& transcript() const { return vrk::emu::transcript(); }

    std::unique_ptr<AcDbDatabase> mpDb;
    std::unique_ptr<vrk::emu::DrawingBuilder> builder;
};

}  // namespace vrk::test
