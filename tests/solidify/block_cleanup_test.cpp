#include <algorithm>
#include <vector>

#include "solidify/block_cleanup.h"
#include "tests/support/host_fixture.h"
#include "util/locale_flag.h"

namespace vrk::test {
namespace {

using vrk::emu::FaultRule;
using vrk::emu::StatusBarEvent;

class BlockCleanupTest : public HostTest {
protected:
    void SetUp() override {
        HostTest::SetUp();
        ChineseLocaleFlag = false;
        blockId = builder->addBlock("Door");
    }
    void TearDown() override {
        ChineseLocaleFlag = false;
        HostTest::TearDown();
    }

    template <class F>
    auto withRecord(AcDb::OpenMode mode, F&& f) {
        AcDbBlockTableRecord* pRecord = nullptr;
        EXPECT_EQ(acdbOpenObject(pRecord, blockId, mode), Acad::eOk);
        auto result = f(pRecord);
        pRecord->close();
        return result;
    }
    bool eraseInvisible() {
        return withRecord(AcDb::kForRead, [](AcDbBlockTableRecord* p) { return EraseInvisibleEntities(p); });
    }
    bool eraseDictionary() {
        return withRecord(AcDb::kForWrite, [](AcDbBlockTableRecord* p) { return EraseExtensionDictionary(p); });
    }
    std::vector<AcDbObjectId> addEntities(int n, bool invisible = false) {
        std::vector<AcDbObjectId> ids;
        for (int i = 0; i < n; ++i) ids.push_back(builder->addEntity(blockId, AcDbObjectId::kNull, invisible));
        return ids;
    }
    static std::vector<int> positionsSent() {
        std::vector<int> positions;
        for (const StatusBarEvent& e : vrk::emu::statusBarEvents())
            if (e.kind == StatusBarEvent::Position) positions.push_back(e.first);
        return positions;
    }
    static int countEvents(StatusBarEvent::Kind kind) {
        int n = 0;
        for (const StatusBarEvent& e : vrk::emu::statusBarEvents()) n += e.kind == kind;
        return n;
    }

    AcDbObjectId blockId;
};

TEST_F(BlockCleanupTest, NoDictionaryReturnsFalseAndCallsNothingElse) {
    hostCalls().setLogging(true);
    EXPECT_FALSE(eraseDictionary());
    const std::vector<std::string> ops = hostCalls().loggedOps();
    EXPECT_EQ(std::count(ops.begin(), ops.end(), "AcDbObject::releaseExtensionDictionary"), 0);
    EXPECT_EQ(std::count(ops.begin(), ops.end(), "acdbOpenAcDbObject"), 1);  // the test's own open
}

TEST_F(BlockCleanupTest, DictionaryIsErasedWithItsEntriesAndReleased) {
    AcDbObjectId dictId = builder->addExtensionDictionary(blockId);
    AcDbObjectId nestedId = builder->addDictionaryEntry(dictId, "ACAD_ENHANCEDBLOCK", "AcDbDictionary");
    AcDbObjectId graphId = builder->addDictionaryEntry(nestedId, "GRAPH", "AcDbEvalGraph");
    EXPECT_TRUE(eraseDictionary());
    EXPECT_TRUE(dictId.isErased());
    EXPECT_TRUE(nestedId.isErased());
    EXPECT_TRUE(graphId.isErased());
    EXPECT_TRUE(withRecord(AcDb::kForRead, [](AcDbBlockTableRecord* p) { return p->extensionDictionary().isNull(); }));
}

TEST_F(BlockCleanupTest, DictionaryThatCannotBeOpenedAsDictionaryStillCountsAndIsReleased) {
    // An id that leads to an object of another class.
    AcDbObjectId notADictionary = builder->addDictionaryEntry(builder->namedObjects(), "X", "AcDbXrecord");
    vrk::emu::DrawingBuilder::setExtensionDictionary(blockId, notADictionary);
    hostCalls().setLogging(true);
    EXPECT_TRUE(eraseDictionary());
    const std::vector<std::string> ops = hostCalls().loggedOps();
    EXPECT_EQ(std::count(ops.begin(), ops.end(), "AcDbObject::releaseExtensionDictionary"), 1);
    EXPECT_EQ(std::count(ops.begin(), ops.end(), "AcDbObject::erase"), 0);
}

TEST_F(BlockCleanupTest, DictionaryOpenFailureStillReleasesAndCounts) {
    builder->addExtensionDictionary(blockId);
    hostCalls().addFault(FaultRule{"acdbOpenAcDbObject", 0, 2, true, Acad::eWasOpenForWrite});
    EXPECT_TRUE(eraseDictionary());
}

TEST_F(BlockCleanupTest, DictionaryThatCannotBeReadIsNotTakenForDynamic) {
    AcDbObjectId dictId = builder->addExtensionDictionary(blockId);
    builder->addDictionaryEntry(dictId, "ACAD_ENHANCEDBLOCK", "AcDbEvalGraph");
    hostCalls().addFault(FaultRule{"acdbOpenAcDbObject", 0, 2, true, Acad::eWasOpenForWrite});
    EXPECT_FALSE(withRecord(AcDb::kForRead, [](AcDbBlockTableRecord* p) { return HasDynamicBlockDictionary(p); }));
    EXPECT_TRUE(withRecord(AcDb::kForRead, [](AcDbBlockTableRecord* p) { return HasDynamicBlockDictionary(p); }));
}

TEST_F(BlockCleanupTest, OnlyInvisibleEntitiesAreErased) {
    std::vector<AcDbObjectId> visible = addEntities(2);
    std::vector<AcDbObjectId> hidden = addEntities(3, true);
    EXPECT_TRUE(eraseInvisible());
    for (AcDbObjectId id : visible) EXPECT_FALSE(id.isErased());
    for (AcDbObjectId id : hidden) EXPECT_TRUE(id.isErased());
}

TEST_F(BlockCleanupTest, AllVisibleOpensEveryEntityForWriteAndReturnsFalse) {
    addEntities(5);
    hostCalls().setLogging(true);
    EXPECT_FALSE(eraseInvisible());
    const std::vector<std::string> ops = hostCalls().loggedOps();
    EXPECT_EQ(std::count(ops.begin(), ops.end(), "AcDbBlockTableRecordIterator::getEntity"), 5);
    EXPECT_EQ(std::count(ops.begin(), ops.end(), "AcDbObject::close"), 5 + 1);  // and the definition
    EXPECT_EQ(std::count(ops.begin(), ops.end(), "AcDbObject::erase"), 0);
    EXPECT_EQ(countEvents(StatusBarEvent::Restore), 1);
}

TEST_F(BlockCleanupTest, EmptyDefinitionLeavesTheStatusBarAlone) {
    EXPECT_FALSE(eraseInvisible());
    EXPECT_TRUE(vrk::emu::statusBarEvents().empty());
}

TEST_F(BlockCleanupTest, IteratorFailureReturnsFalse) {
    addEntities(2, true);
    hostCalls().addFault(FaultRule{"AcDbBlockTableRecord::newIterator"});
    EXPECT_FALSE(eraseInvisible());
    EXPECT_TRUE(vrk::emu::statusBarEvents().empty());
}

TEST_F(BlockCleanupTest, EntityThatCannotBeOpenedStopsTheWalkAndKeepsEarlierErasures) {
    std::vector<AcDbObjectId> ids = addEntities(2, true);
    AcDbObjectId blocked = builder->addEntity(blockId, builder->addLayer("Locked", false, false, true), true);
    AcDbObjectId after = builder->addEntity(blockId, AcDbObjectId::kNull, true);
    EXPECT_FALSE(eraseInvisible());
    EXPECT_TRUE(ids[0].isErased());
    EXPECT_TRUE(ids[1].isErased());
    EXPECT_FALSE(blocked.isErased());
    EXPECT_FALSE(after.isErased());
    EXPECT_EQ(countEvents(StatusBarEvent::Restore), 1);
}

TEST_F(BlockCleanupTest, ThousandEntitiesShowNoMeter) {
    addEntities(1000);
    eraseInvisible();
    EXPECT_EQ(countEvents(StatusBarEvent::Meter), 0);
    EXPECT_TRUE(positionsSent().empty());
    EXPECT_EQ(countEvents(StatusBarEvent::Restore), 1);
}

TEST_F(BlockCleanupTest, ThousandAndOneEntitiesSendEveryPercentOnceInOrder) {
    addEntities(1001);
    eraseInvisible();
    const auto& events = vrk::emu::statusBarEvents();
    ASSERT_FALSE(events.empty());
    EXPECT_EQ(events.front().kind, StatusBarEvent::Meter);
    EXPECT_EQ(events.front().first, 0);
    EXPECT_EQ(events.front().second, 100);
    EXPECT_EQ(events.front().label, vrk::emu::HostString(ACRX_T("DoByBlock:")));
    std::vector<int> expected;
    for (int i = 1; i <= 100; ++i) expected.push_back(i);
    EXPECT_EQ(positionsSent(), expected);
    EXPECT_EQ(events.back().kind, StatusBarEvent::Restore);
}

TEST_F(BlockCleanupTest, PositionIsSentBeforeItsEntityIsOpened) {
    addEntities(1001);
    hostCalls().setLogging(true);
    eraseInvisible();
    const std::vector<std::string> ops = hostCalls().loggedOps();
    // Position 1 goes out at the 11th entity: 1100 / 1001 = 1.
    int opened = 0;
    for (const std::string& op : ops) {
        if (op == "AcDbBlockTableRecordIterator::getEntity") ++opened;
        if (op == "acedSetStatusBarProgressMeterPos") {
            EXPECT_EQ(opened, 10);
            break;
        }
    }
}

TEST_F(BlockCleanupTest, ChineseLabelIsTheExactText) {
    ChineseLocaleFlag = true;
    addEntities(1001);
    eraseInvisible();
    ASSERT_FALSE(vrk::emu::statusBarEvents().empty());
#ifdef UNICODE
    const vrk::emu::HostString expected = L"\x5904\x7406\x867D\x5757\xFF1A";
#else
    const vrk::emu::HostString expected = "\xB4\xA6\xC0\xED\xCB\xE4\xBF\xE9\xA3\xBA";
#endif
    EXPECT_EQ(vrk::emu::statusBarEvents().front().label, expected);
}

}  // namespace
}  // namespace vrk::test
