#include <algorithm>
#include <vector>

#include "solidify/solidify_command.h"
#include "tests/support/host_fixture.h"

namespace vrk::test {
namespace {

using vrk::emu::FaultRule;

class SolidifyCommandTest : public HostTest {
protected:
    // A block with a dynamic-block dictionary tree, one visible and one invisible entity.
    AcDbObjectId addDynamicBlock(const char* name, AcDbObjectId* pHiddenId = nullptr) {
        AcDbObjectId blockId = builder->addBlock(name);
        AcDbObjectId dictId = builder->addExtensionDictionary(blockId);
        builder->addDictionaryEntry(dictId, "ACAD_ENHANCEDBLOCK", "AcDbEvalGraph");
        builder->addEntity(blockId);
        AcDbObjectId hiddenId = builder->addEntity(blockId, AcDbObjectId::kNull, true);
        if (pHiddenId) *pHiddenId = hiddenId;
        return blockId;
    }
};

TEST_F(SolidifyCommandTest, NoDictionariesSaysNoneAndStillErasesInvisibleEntities) {
    AcDbObjectId blockId = builder->addBlock("Plain");
    AcDbObjectId hidden = builder->addEntity(blockId, AcDbObjectId::kNull, true);
    AcDbObjectId hiddenInModel = builder->addEntity(builder->modelSpace(), AcDbObjectId::kNull, true);
    SolidifyCommand();
    EXPECT_EQ(transcript(), "\nNo dynamic block need to been solidfied.");
    EXPECT_TRUE(hidden.isErased());
    EXPECT_TRUE(hiddenInModel.isErased());
}

TEST_F(SolidifyCommandTest, OneDictionaryIsSingular) {
    AcDbObjectId hidden;
    addDynamicBlock("Door", &hidden);
    SolidifyCommand();
    EXPECT_EQ(transcript(), "\n1 dynamic block has been solidfied.");
    EXPECT_TRUE(hidden.isErased());
}

TEST_F(SolidifyCommandTest, SeveralDictionariesArePluralAndLayoutsCountLikeBlocks) {
    addDynamicBlock("Door");
    addDynamicBlock("*U12");
    builder->addExtensionDictionary(builder->modelSpace());
    builder->addExtensionDictionary(builder->paperSpace());
    SolidifyCommand();
    EXPECT_EQ(transcript(), "\n4 dynamic blocks have been solidfied.");
    AcDbBlockTableRecord* pModel = nullptr;
    ASSERT_EQ(acdbOpenObject(pModel, builder->modelSpace(), AcDb::kForRead), Acad::eOk);
    EXPECT_TRUE(pModel->extensionDictionary().isNull());
    pModel->close();
}

TEST_F(SolidifyCommandTest, SecondRunFindsNothingLeft) {
    addDynamicBlock("Door");
    SolidifyCommand();
    vrk::emu::clearTranscript();
    SolidifyCommand();
    EXPECT_EQ(transcript(), "\nNo dynamic block need to been solidfied.");
}

TEST_F(SolidifyCommandTest, DictionaryThatIsNotADictionaryStillCounts) {
    AcDbObjectId blockId = builder->addBlock("Odd");
    AcDbObjectId other = builder->addDictionaryEntry(builder->namedObjects(), "X", "AcDbXrecord");
    vrk::emu::DrawingBuilder::setExtensionDictionary(blockId, other);
    SolidifyCommand();
    EXPECT_EQ(transcript(), "\n1 dynamic block has been solidfied.");
}

TEST_F(SolidifyCommandTest, FailureAtTheFourthDefinitionKeepsTheFirstThreeAndPrintsNothing) {
    // Model space, paper space, then the blocks in table order.
    std::vector<AcDbObjectId> hidden(4);
    for (int i = 0; i < 4; ++i) addDynamicBlock(("B" + std::to_string(i)).c_str(), &hidden[i]);
    hostCalls().addFault(FaultRule{"AcDbSymbolTableIterator::getRecord", 0, 4, true, Acad::eWasOpenForWrite});
    SolidifyCommand();
    EXPECT_EQ(transcript(), "");
    EXPECT_TRUE(hidden[0].isErased());
    EXPECT_FALSE(hidden[1].isErased());
    EXPECT_FALSE(hidden[2].isErased());
    EXPECT_FALSE(hidden[3].isErased());
    EXPECT_FALSE(db()->undoRecording());
}

TEST_F(SolidifyCommandTest, NameFailureStopsTheWalkWithoutMessage) {
    AcDbObjectId hidden;
    addDynamicBlock("Door", &hidden);
    hostCalls().addFault(FaultRule{"AcDbSymbolTableRecord::getName", 0, 3});
    SolidifyCommand();
    EXPECT_EQ(transcript(), "");
    EXPECT_FALSE(hidden.isErased());
}

TEST_F(SolidifyCommandTest, UndoRecordingIsOffBeforeAnythingIsOpenedAndStaysOff) {
    hostCalls().setLogging(true);
    hostCalls().addFault(FaultRule{"AcDbDatabase::getSymbolTable"});
    SolidifyCommand();
    EXPECT_FALSE(db()->undoRecording());
    const std::vector<std::string> ops = hostCalls().loggedOps();
    auto undo = std::find(ops.begin(), ops.end(), "AcDbDatabase::disableUndoRecording(true)");
    auto open = std::find(ops.begin(), ops.end(), "AcDbDatabase::getSymbolTable");
    EXPECT_LT(undo - ops.begin(), open - ops.begin());
    EXPECT_EQ(std::count(ops.begin(), ops.end(), "AcDbDatabase::disableUndoRecording(false)"), 0);
}

TEST_F(SolidifyCommandTest, LockedLayerEntityStopsOnlyItsOwnDefinition) {
    AcDbObjectId locked = builder->addLayer("Locked", false, false, true);
    AcDbObjectId first = builder->addBlock("First");
    builder->addEntity(first, locked);
    AcDbObjectId keptHidden = builder->addEntity(first, AcDbObjectId::kNull, true);
    AcDbObjectId erasedHidden;
    addDynamicBlock("Second", &erasedHidden);
    SolidifyCommand();
    EXPECT_EQ(transcript(), "\n1 dynamic block has been solidfied.");
    EXPECT_FALSE(keptHidden.isErased());
    EXPECT_TRUE(erasedHidden.isErased());
}

// Fails host call 1, 2, 3 ... of a run until a run completes without meeting its fault: each run
// must end cleanly, with nothing left open, undo recording off, and either no message or the count.
class SolidifyFaultSweep : public SolidifyCommandTest {
protected:
    void sweep(bool once);
};

void SolidifyFaultSweep::sweep(bool once) {
    for (long n = 1;; ++n) {
        newDrawing();
        addDynamicBlock("Door");
        addDynamicBlock("Window");
        for (int i = 0; i < 1002; ++i) builder->addEntity(builder->modelSpace(), AcDbObjectId::kNull, i % 2 == 0);
        vrk::emu::resetHost();
        vrk::emu::setWorkingDatabase(db());
        hostCalls().failNthCall(n, once);
        SolidifyCommand();
        SCOPED_TRACE("failing call " + std::to_string(n));
        expectNothingHeld();
        EXPECT_FALSE(db()->undoRecording());
        const std::string& out = vrk::emu::transcript();
        EXPECT_TRUE(out.empty() || out == "\n2 dynamic blocks have been solidfied.") << out;
        if (hostCalls().faultsFired() == 0) {
            EXPECT_EQ(out, "\n2 dynamic blocks have been solidfied.");
            break;
        }
        ASSERT_LT(n, 100000);
    }
}

TEST_F(SolidifyFaultSweep, FailingOnce) { sweep(true); }
TEST_F(SolidifyFaultSweep, FailingFromThenOn) { sweep(false); }

}  // namespace
}  // namespace vrk::test
