#include "routines/hidden_layer_purge.h"
#include "tests/routines/routine_fixture.h"

namespace vrk::test {
namespace {

using vrk::emu::DrawingBuilder;
using vrk::emu::FaultRule;

struct LayerState {
    bool off, frozen, locked;
    bool operator==(const LayerState& o) const { return off == o.off && frozen == o.frozen && locked == o.locked; }
};
std::ostream& operator<<(std::ostream& os, const LayerState& s) {
    return os << "{off " << s.off << ", frozen " << s.frozen << ", locked " << s.locked << "}";
}

class HiddenLayerPurgeTest : public RoutineTest {
protected:
    // Layers of every kind, and in each layout block one entity per layer.
    void buildDrawing() {
        off = builder->addLayer("Off", true);
        frozen = builder->addLayer("Frozen", false, true);
        offFrozen = builder->addLayer("OffFrozen", true, true);
        frozenLocked = builder->addLayer("FrozenLocked", false, true, true);
        locked = builder->addLayer("Locked", false, false, true);
        plain = builder->addLayer("Plain");
        hiddenLayers = {off, frozen, offFrozen, frozenLocked};
        visibleLayers = {builder->layerZero(), locked, plain};
        secondPaper = builder->addBlock("*Paper_Space0");
        door = builder->addBlock("Door");
        for (AcDbObjectId block : {builder->modelSpace(), builder->paperSpace(), secondPaper, door}) {
            for (AcDbObjectId layer : hiddenLayers)
                (block == door ? keptHidden : purged).push_back(builder->addEntity(block, layer));
            for (AcDbObjectId layer : visibleLayers) kept.push_back(builder->addEntity(block, layer));
        }
    }

    static LayerState stateOf(AcDbObjectId layerId) {
        AcDbLayerTableRecord* pLayer = nullptr;
        EXPECT_EQ(acdbOpenObject(pLayer, layerId, AcDb::kForRead), Acad::eOk);
        if (pLayer == nullptr) return {};
        LayerState s{pLayer->isOff(), pLayer->isFrozen(), pLayer->isLocked()};
        pLayer->close();
        return s;
    }

    void expectLayersRestoredAndUnlocked() {
        EXPECT_EQ(stateOf(off), (LayerState{true, false, false}));
        EXPECT_EQ(stateOf(frozen), (LayerState{false, true, false}));
        EXPECT_EQ(stateOf(offFrozen), (LayerState{true, true, false}));
        EXPECT_EQ(stateOf(frozenLocked), (LayerState{false, true, false}));
        EXPECT_EQ(stateOf(locked), (LayerState{false, false, false}));
        EXPECT_EQ(stateOf(plain), (LayerState{false, false, false}));
    }

    AcDbObjectId off, frozen, offFrozen, frozenLocked, locked, plain, secondPaper, door;
    std::vector<AcDbObjectId> hiddenLayers, visibleLayers;
    std::vector<AcDbObjectId> purged;      // layout entities on hidden layers
    std::vector<AcDbObjectId> keptHidden;  // entities of an ordinary block on hidden layers
    std::vector<AcDbObjectId> kept;        // entities on visible layers
};

TEST_F(HiddenLayerPurgeTest, ErasesLayoutEntitiesOnHiddenLayersAndPutsTheLayersBackUnlocked) {
    buildDrawing();
    PurgeHiddenLayerEntities();
    for (AcDbObjectId id : purged) EXPECT_TRUE(id.isErased());
    for (AcDbObjectId id : keptHidden) EXPECT_FALSE(id.isErased());
    for (AcDbObjectId id : kept) EXPECT_FALSE(id.isErased());
    expectLayersRestoredAndUnlocked();
    EXPECT_EQ(transcript(), "");
}

// A drawing file may name a frozen layer current.  The purge thaws it and erases what lies on it; the
// host refuses to freeze the current layer again, which the purge does not check: it goes on and
// freezes the other layers.
TEST_F(HiddenLayerPurgeTest, RefusedFreezeOfTheCurrentLayerLeavesItThawedAndTheOthersFrozen) {
    buildDrawing();
    DrawingBuilder::setCurrentLayer(frozen);
    hostCalls().setLogging(true);
    PurgeHiddenLayerEntities();
    for (AcDbObjectId id : purged) EXPECT_TRUE(id.isErased());
    EXPECT_EQ(stateOf(frozen), (LayerState{false, false, false}));
    EXPECT_EQ(stateOf(offFrozen), (LayerState{true, true, false}));
    EXPECT_EQ(stateOf(frozenLocked), (LayerState{false, true, false}));
    EXPECT_EQ(db()->clayer(), frozen);
    EXPECT_EQ(countOps("AcDbLayerTableRecord::setIsFrozen"), 6);  // three thawed, three asked to freeze
    EXPECT_EQ(transcript(), "");
}

TEST_F(HiddenLayerPurgeTest, LayoutsAreKnownByNameModelIgnoringCasePaperByCaseSensitiveSubstring) {
    AcDbObjectId hidden = builder->addLayer("Hidden", true);
    DrawingBuilder::setRecordName(builder->modelSpace(), "*MODEL_SPACE");
    const char* purgedNames[] = {"*Paper_Space12", "Old*Paper_Space"};
    const char* keptNames[] = {"*paper_space3", "*PAPER_SPACE4", "*Model_Space1", "Model_Space"};
    std::vector<AcDbObjectId> gone = {builder->addEntity(builder->modelSpace(), hidden),
                                      builder->addEntity(builder->paperSpace(), hidden)};
    std::vector<AcDbObjectId> stay;
    for (const char* name : purgedNames) gone.push_back(builder->addEntity(builder->addBlock(name), hidden));
    for (const char* name : keptNames) stay.push_back(builder->addEntity(builder->addBlock(name), hidden));
    PurgeHiddenLayerEntities();
    for (AcDbObjectId id : gone) EXPECT_TRUE(id.isErased());
    for (AcDbObjectId id : stay) EXPECT_FALSE(id.isErased());
}

TEST_F(HiddenLayerPurgeTest, FailedBlockWalkStillFreezesTheThawedLayersAgain) {
    buildDrawing();
    // The second symbol table opened is the block table of the walk.
    hostCalls().addFault(FaultRule{"AcDbDatabase::getSymbolTable", 0, 2});
    PurgeHiddenLayerEntities();
    for (AcDbObjectId id : purged) EXPECT_FALSE(id.isErased());
    expectLayersRestoredAndUnlocked();
}

TEST_F(HiddenLayerPurgeTest, NameFailureAfterTheModelSpaceKeepsItsErasuresAndRefreezes) {
    buildDrawing();
    hostCalls().addFault(FaultRule{"AcDbSymbolTableRecord::getName", builder->paperSpace().handle()});
    PurgeHiddenLayerEntities();
    for (size_t i = 0; i < hiddenLayers.size(); ++i) {
        EXPECT_TRUE(purged[i].isErased());                             // model space
        EXPECT_FALSE(purged[hiddenLayers.size() + i].isErased());      // paper space
        EXPECT_FALSE(purged[2 * hiddenLayers.size() + i].isErased());  // second paper space
    }
    expectLayersRestoredAndUnlocked();
}

TEST_F(HiddenLayerPurgeTest, EntityThatDoesNotOpenEndsOnlyItsOwnLayout) {
    AcDbObjectId hidden = builder->addLayer("Hidden", true);
    AcDbObjectId busy = builder->addLayer("Busy", false, false, true);
    AcDbObjectId first = builder->addEntity(builder->modelSpace(), hidden);
    builder->addEntity(builder->modelSpace(), busy);
    AcDbObjectId afterBusy = builder->addEntity(builder->modelSpace(), hidden);
    AcDbObjectId inPaper = builder->addEntity(builder->paperSpace(), hidden);
    // Held open elsewhere, the locked layer cannot be unlocked, so its entity does not open for write.
    AcDbLayerTableRecord* pBusy = nullptr;
    ASSERT_EQ(acdbOpenObject(pBusy, busy, AcDb::kForRead), Acad::eOk);
    PurgeHiddenLayerEntities();
    pBusy->close();
    EXPECT_TRUE(first.isErased());
    EXPECT_FALSE(afterBusy.isErased());
    EXPECT_TRUE(inPaper.isErased());
    EXPECT_TRUE(stateOf(busy).locked);
}

// Fails host call 1, 2, 3 ... until a run completes.  Every run leaves nothing open, prints nothing,
// erases nothing but layout entities on hidden layers, leaves off layers off, and freezes again
// every layer it thawed unless the refreezing itself failed.
class HiddenLayerPurgeSweep : public HiddenLayerPurgeTest {
protected:
    void sweep(bool once) {
        for (long n = 1;; ++n) {
            SCOPED_TRACE("failing call " + std::to_string(n));
            newDrawing();
            purged.clear();
            keptHidden.clear();
            kept.clear();
            buildDrawing();
            armFault(n, once);
            PurgeHiddenLayerEntities();
            const bool faulted = hostCalls().faultsFired() > 0;
            disarm();
            expectNothingHeld();
            EXPECT_EQ(vrk::emu::transcript(), "");
            for (AcDbObjectId id : keptHidden) EXPECT_FALSE(id.isErased());
            for (AcDbObjectId id : kept) EXPECT_FALSE(id.isErased());
            for (AcDbObjectId id : purged) EXPECT_TRUE(id.isErased() || faulted);

            const bool layerWalkFailed =
                failedAny({"AcDbLayerTable::newIterator"}) || failed("AcDbDatabase::getSymbolTable", layerTable());
            for (AcDbObjectId layer : {off, frozen, offFrozen, frozenLocked, locked, plain}) {
                const LayerState was = {layer == off || layer == offFrozen,
                                        layer == frozen || layer == offFrozen || layer == frozenLocked,
                                        layer == frozenLocked || layer == locked};
                const LayerState now = stateOf(layer);
                EXPECT_EQ(now.off, was.off);
                const bool refreezeFailed =
                    failed("acdbOpenAcDbObject", layer) || failed("AcDbLayerTableRecord::setIsFrozen", layer);
                EXPECT_TRUE(now.frozen == was.frozen || refreezeFailed) << layer.handle();
                const bool notUnlocked = layerWalkFailed || failed("AcDbSymbolTableIterator::getRecord", layer);
                EXPECT_TRUE(!now.locked || (was.locked && notUnlocked)) << layer.handle();
            }
            if (!faulted) {
                expectLayersRestoredAndUnlocked();
                break;
            }
            ASSERT_LT(n, 10000);
        }
    }
    AcDbObjectId layerTable() const {
        AcDbLayerTable* pLayerTable = nullptr;
        EXPECT_EQ(db()->getSymbolTable(pLayerTable, AcDb::kForRead), Acad::eOk);
        AcDbObjectId id = pLayerTable->objectId();
        pLayerTable->close();
        return id;
    }
};

TEST_F(HiddenLayerPurgeSweep, FailingOnce) { sweep(true); }
TEST_F(HiddenLayerPurgeSweep, FailingFromThenOn) { sweep(false); }

}  // namespace
}  // namespace vrk::test
