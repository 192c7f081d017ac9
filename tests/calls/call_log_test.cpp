// The call log and the open-object accounting know objects by handle, as the database hands them in.
#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <vector>

#include "tests/support/host_fixture.h"

namespace {

using vrk::emu::FaultRule;
using vrk::test::hostCalls;

class CallLogTest : public vrk::test::HostTest {};

TEST_F(CallLogTest, CallsAreLoggedAndFailedByTheHandleOfTheirObject) {
    const AcDbObjectId first = builder->addEntity(builder->modelSpace());
    const AcDbObjectId second = builder->addEntity(builder->modelSpace());
    FaultRule rule;
    rule.op = "acdbOpenAcDbObject";
    rule.handle = second.handle();
    rule.error = Acad::eWasOpenForWrite;
    hostCalls().addFault(rule);
    hostCalls().setLogging(true);

    AcDbObject* pObj = NULL;
    ASSERT_EQ(acdbOpenAcDbObject(pObj, first, AcDb::kForRead), Acad::eOk);
    pObj->close();
    EXPECT_EQ(acdbOpenAcDbObject(pObj, second, AcDb::kForRead), Acad::eWasOpenForWrite);

    ASSERT_FALSE(hostCalls().log().empty());
    EXPECT_EQ(hostCalls().log().front().op, "acdbOpenAcDbObject");
    EXPECT_EQ(hostCalls().log().front().handle, first.handle());
    ASSERT_EQ(hostCalls().failedCalls().size(), 1u);
    EXPECT_EQ(hostCalls().failedCalls().front().handle, second.handle());
}

// Handles repeat across drawings: a drawing that goes away with an object open takes only its own
// object off the list, and the count keeps the leak.  Outside the fixture, whose end checks that
// nothing is held.
TEST(CallLogAccountingTest, ADrawingGoneWithAnObjectOpenTakesOnlyItsOwnOffTheList) {
    vrk::emu::resetHost();
    AcDbDatabase db(true, false);
    auto pOther = std::make_unique<AcDbDatabase>(true, false);
    vrk::emu::DrawingBuilder builder(&db);
    vrk::emu::DrawingBuilder otherBuilder(pOther.get());
    const AcDbObjectId here = builder.addEntity(builder.modelSpace());
    const AcDbObjectId there = otherBuilder.addEntity(otherBuilder.modelSpace());
    ASSERT_EQ(here.handle(), there.handle());

    AcDbObject* pHere = NULL;
    AcDbObject* pThere = NULL;
    ASSERT_EQ(acdbOpenAcDbObject(pHere, here, AcDb::kForRead), Acad::eOk);
    ASSERT_EQ(acdbOpenAcDbObject(pThere, there, AcDb::kForRead), Acad::eOk);
    const int open = hostCalls().openObjects();
    pOther.reset();
    EXPECT_EQ(hostCalls().openObjects(), open);
    EXPECT_EQ(hostCalls().openHandles(), std::vector<std::uint64_t>{here.handle()});
    pHere->close();
}

}  // namespace
