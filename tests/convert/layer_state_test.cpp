#include <algorithm>

#include "convert/layer_state_snapshot.h"
#include "tests/support/host_fixture.h"

namespace vrk::test {
namespace {

using vrk::emu::FaultRule;

class LayerStateTest : public HostTest {
protected:
    struct Switches {
        bool off, frozen, locked;
        bool operator==(const Switches& o) const { return off == o.off && frozen == o.frozen && locked == o.locked; }
    };
    static Switches switchesOf(AcDbObjectId id) {
        AcDbLayerTableRecord* pLayer = nullptr;
        EXPECT_EQ(acdbOpenObject(pLayer, id, AcDb::kForRead), Acad::eOk);
        Switches s{pLayer->isOff(), pLayer->isFrozen(), pLayer->isLocked()};
        pLayer->close();
        return s;
    }
    static void setSwitches(AcDbObjectId id, Switches s) {
        AcDbLayerTableRecord* pLayer = nullptr;
        ASSERT_EQ(acdbOpenObject(pLayer, id, AcDb::kForWrite), Acad::eOk);
        pLayer->setIsOff(s.off);
        pLayer->setIsFrozen(s.frozen);
        pLayer->setIsLocked(s.locked);
        pLayer->close();
    }
};

TEST_F(LayerStateTest, CaptureOpensUpAndRestoreGivesBackExactlyWhatWasThere) {
    AcDbObjectId offFrozen = builder->addLayer("OffFrozen", true, true, false);
    AcDbObjectId locked = builder->addLayer("Locked", false, false, true);
    AcDbObjectId all = builder->addLayer("All", true, true, true);
    LayerStateSnapshot snapshot;
    hostCalls().setLogging(true);
    EXPECT_TRUE(CaptureWorkingLayerStates(snapshot));
    for (AcDbObjectId id : {offFrozen, locked, all}) EXPECT_TRUE(switchesOf(id) == (Switches{false, false, false}));

    // The switches are cleared frozen first, then off, then locked.
    std::vector<std::string> setters;
    for (const std::string& op : hostCalls().loggedOps())
        if (op.rfind("AcDbLayerTableRecord::set", 0) == 0) setters.push_back(op);
    ASSERT_GE(setters.size(), 3u);
    EXPECT_EQ(std::vector<std::string>(setters.begin(), setters.begin() + 3),
              (std::vector<std::string>{"AcDbLayerTableRecord::setIsFrozen", "AcDbLayerTableRecord::setIsOff",
                                        "AcDbLayerTableRecord::setIsLocked"}));

    EXPECT_TRUE(RestoreWorkingLayerStates(snapshot));
    EXPECT_TRUE(switchesOf(offFrozen) == (Switches{true, true, false}));
    EXPECT_TRUE(switchesOf(locked) == (Switches{false, false, true}));
    EXPECT_TRUE(switchesOf(all) == (Switches{true, true, true}));
    EXPECT_TRUE(switchesOf(builder->layerZero()) == (Switches{false, false, false}));
}

TEST_F(LayerStateTest, OnlyTheFirst256LayersAreCapturedAndTheRestNeverTouched) {
    std::vector<AcDbObjectId> layers = {builder->layerZero()};
    for (int i = 1; i < 300; ++i) layers.push_back(builder->addLayer("L" + std::to_string(i), false, i % 2 == 0, true));
    LayerStateSnapshot snapshot;
    EXPECT_TRUE(CaptureWorkingLayerStates(snapshot));
    EXPECT_EQ(snapshot.layerIds[255], layers[255]);
    for (int i = 0; i < 256; ++i) EXPECT_FALSE(switchesOf(layers[i]).locked) << i;
    for (int i = 256; i < 300; ++i) EXPECT_TRUE(switchesOf(layers[i]) == (Switches{false, i % 2 == 0, true})) << i;
    RestoreWorkingLayerStates(snapshot);
    for (int i = 1; i < 300; ++i) EXPECT_TRUE(switchesOf(layers[i]) == (Switches{false, i % 2 == 0, true})) << i;
}

TEST_F(LayerStateTest, OneLayerFillsOneSlot) {
    LayerStateSnapshot snapshot;
    EXPECT_TRUE(CaptureWorkingLayerStates(snapshot));
    EXPECT_EQ(snapshot.layerIds[0], builder->layerZero());
    for (int i = 1; i < LAYER_STATE_SLOTS; ++i) EXPECT_TRUE(snapshot.layerIds[i].isNull());
}

TEST_F(LayerStateTest, RestoreSetsWithoutComparingAndNeverClears) {
    AcDbObjectId locked = builder->addLayer("Locked", false, false, true);
    AcDbObjectId plain = builder->addLayer("Plain");
    LayerStateSnapshot snapshot;
    CaptureWorkingLayerStates(snapshot);
    setSwitches(locked, {true, true, false});
    setSwitches(plain, {true, false, true});
    RestoreWorkingLayerStates(snapshot);
    EXPECT_TRUE(switchesOf(locked) == (Switches{true, true, true}));
    EXPECT_TRUE(switchesOf(plain) == (Switches{true, false, true}));
}

TEST_F(LayerStateTest, RestoreSkipsNullErasedAndForeignSlots) {
    AcDbObjectId gone = builder->addLayer("Gone", true, false, false);
    LayerStateSnapshot snapshot;
    CaptureWorkingLayerStates(snapshot);
    vrk::emu::DrawingBuilder::setErased(gone, true);
    snapshot.layerIds[2] = builder->modelSpace();  // not a layer: closed unchanged
    snapshot.offFlags[2] = true;
    EXPECT_TRUE(RestoreWorkingLayerStates(snapshot));
    EXPECT_TRUE(hostCalls().accessViolations().empty());

    // A slot holding something other than a layer gets no layer switch, whatever its flags.
    LayerStateSnapshot foreign;
    foreign.layerIds[0] = builder->modelSpace();
    foreign.offFlags[0] = foreign.lockedFlags[0] = foreign.frozenFlags[0] = true;
    hostCalls().setLogging(true);
    EXPECT_TRUE(RestoreWorkingLayerStates(foreign));
    for (const std::string& op : hostCalls().loggedOps()) EXPECT_NE(op.rfind("AcDbLayerTableRecord::set", 0), 0u) << op;
    expectNothingHeld();
    hostCalls().setLogging(false);
    hostCalls().clearLog();

    LayerStateSnapshot fresh;
    hostCalls().setLogging(true);
    EXPECT_TRUE(RestoreWorkingLayerStates(fresh));
    const std::vector<std::string> ops = hostCalls().loggedOps();
    EXPECT_EQ(std::count(ops.begin(), ops.end(), "acdbOpenAcDbObject"), LAYER_STATE_SLOTS);
    EXPECT_EQ(std::count(ops.begin(), ops.end(), "AcDbObject::close"), 0);
}

// The host makes no frozen layer current and freezes no current layer.  A layer made current between
// capture and restore keeps off and locked back but stays thawed; restore goes on with the others.
TEST_F(LayerStateTest, RestoreGoesOnWhenTheHostRefusesToFreezeTheCurrentLayer) {
    AcDbObjectId all = builder->addLayer("All", true, true, true);
    AcDbObjectId frozen = builder->addLayer("Frozen", false, true, false);
    EXPECT_EQ(db()->setClayer(frozen), Acad::eInvalidInput);
    LayerStateSnapshot snapshot;
    ASSERT_TRUE(CaptureWorkingLayerStates(snapshot));
    ASSERT_EQ(db()->setClayer(all), Acad::eOk);
    EXPECT_TRUE(RestoreWorkingLayerStates(snapshot));
    EXPECT_TRUE(switchesOf(all) == (Switches{true, false, true}));
    EXPECT_TRUE(switchesOf(frozen) == (Switches{false, true, false}));

    AcDbLayerTableRecord* pLayer = nullptr;
    ASSERT_EQ(acdbOpenObject(pLayer, all, AcDb::kForWrite), Acad::eOk);
    EXPECT_EQ(pLayer->setIsFrozen(true), Acad::eInvalidInput);
    EXPECT_EQ(pLayer->setIsFrozen(false), Acad::eOk);
    pLayer->close();
}

TEST_F(LayerStateTest, CaptureSkipsALayerThatCannotBeOpenedForWrite) {
    AcDbObjectId busy = builder->addLayer("Busy", true, false, true);
    AcDbObjectId next = builder->addLayer("Next", true, false, false);
    AcDbLayerTableRecord* pHeld = nullptr;
    ASSERT_EQ(acdbOpenObject(pHeld, busy, AcDb::kForRead), Acad::eOk);
    LayerStateSnapshot snapshot;
    EXPECT_TRUE(CaptureWorkingLayerStates(snapshot));
    pHeld->close();
    EXPECT_EQ(snapshot.layerIds[1], next);  // the busy layer took no slot
    EXPECT_TRUE(switchesOf(busy) == (Switches{true, false, true}));
}

TEST_F(LayerStateTest, CaptureFailuresChangeNothing) {
    AcDbObjectId off = builder->addLayer("Off", true);
    for (const char* op : {"AcDbDatabase::getSymbolTable", "AcDbLayerTable::newIterator"}) {
        hostCalls().clearFaults();
        hostCalls().addFault(FaultRule{op});
        LayerStateSnapshot snapshot;
        EXPECT_FALSE(CaptureWorkingLayerStates(snapshot)) << op;
        EXPECT_TRUE(snapshot.layerIds[0].isNull());
        EXPECT_TRUE(switchesOf(off).off);
    }
}

}  // namespace
}  // namespace vrk::test
