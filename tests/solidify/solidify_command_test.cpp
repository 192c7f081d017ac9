#include <algorithm>
#include <vector>

#include "solidify/solidify_command.h"
#include "tests/support/drawing_text.h"
#include "tests/support/host_fixture.h"
#include "tests/support/temp_folder.h"

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
    static AcDbObjectId extensionDictionaryOf(AcDbObjectId id) {
        AcDbObject* pObj = nullptr;
        if (acdbOpenAcDbObject(pObj, id, AcDb::kForRead) != Acad::eOk) return AcDbObjectId::kNull;
        AcDbObjectId dictId = pObj->extensionDictionary();
        pObj->close();
        return dictId;
    }
    // Entities left in the working drawing's block of that name; -1 when it cannot be read.
    int entityCount(const char* name) const {
        AcDbBlockTable* pTable = nullptr;
        if (db()->getBlockTable(pTable, AcDb::kForRead) != Acad::eOk) return -1;
        AcDbBlockTableRecord* pRecord = nullptr;
        const Acad::ErrorStatus es = pTable->getAt(vrk::emu::toHost(name).c_str(), pRecord, AcDb::kForRead);
        pTable->close();
        if (es != Acad::eOk) return -1;
        AcDbBlockTableRecordIterator* pIterator = nullptr;
        int count = -1;
        if (pRecord->newIterator(pIterator) == Acad::eOk) {
            for (count = 0; !pIterator->done(); pIterator->step()) ++count;
            delete pIterator;
        }
        pRecord->close();
        return count;
    }
};

TEST_F(SolidifyCommandTest, NoDictionariesSaysNoneAndStillErasesInvisibleEntities) {
    AcDbObjectId blockId = builder->addBlock("Plain");
    AcDbObjectId hidden = builder->addEntity(blockId, AcDbObjectId::kNull, true);
    SolidifyCommand();
    EXPECT_EQ(transcript(), "\nNo dynamic block need to been solidfied.");
    EXPECT_TRUE(hidden.isErased());
}

TEST_F(SolidifyCommandTest, OneDictionaryIsSingular) {
    AcDbObjectId hidden;
    addDynamicBlock("Door", &hidden);
    SolidifyCommand();
    EXPECT_EQ(transcript(), "\n1 dynamic block has been solidfied.");
    EXPECT_TRUE(hidden.isErased());
}

TEST_F(SolidifyCommandTest, LayoutsKeepTheirDictionaryAndInvisibleEntitiesAndAreNotCounted) {
    addDynamicBlock("Door");
    std::vector<AcDbObjectId> kept;
    for (AcDbObjectId layoutId : {builder->modelSpace(), builder->paperSpace()}) {
        AcDbObjectId dictId = builder->addExtensionDictionary(layoutId);
        kept.push_back(dictId);
        kept.push_back(builder->addDictionaryEntry(dictId, "ACAD_SORTENTS", "AcDbSortentsTable"));
        kept.push_back(builder->addEntity(layoutId, AcDbObjectId::kNull, true));
    }
    SolidifyCommand();
    EXPECT_EQ(transcript(), "\n1 dynamic block has been solidfied.");
    for (AcDbObjectId id : kept) EXPECT_FALSE(id.isErased());
    EXPECT_EQ(extensionDictionaryOf(builder->modelSpace()), kept[0]);
    EXPECT_EQ(extensionDictionaryOf(builder->paperSpace()), kept[3]);
}

// A drawing read from a file: what makes a layout is the LAYOUT its record links to, not its name; model
// space is one even in a file that lacks the link, as the host makes its layout on reading.
TEST_F(SolidifyCommandTest, OnlyRecordsLinkedToALayoutAreSkippedAsLayouts) {
    TempFolder folder;
    const std::string path = folder.file("layouts.dxf");
    DrawingText text;
    text.spacesHaveLayouts = false;
    text.modelEntities = {{"0", true}};
    text.blocks.push_back({"*Paper_Space1", {{"0", true}}, false, false});
    text.blocks.push_back({"*Paper_Space2", {{"0", true}}, false, true});
    text.writeTo(path);
    builder.reset();
    mpDb = std::make_unique<AcDbDatabase>(false, true);
    ASSERT_EQ(mpDb->readDwgFile(vrk::emu::toHost(path).c_str()), Acad::eOk);
    vrk::emu::setWorkingDatabase(mpDb.get());
    SolidifyCommand();
    EXPECT_EQ(entityCount("*Model_Space"), 1);
    EXPECT_EQ(entityCount("*Paper_Space1"), 0);
    EXPECT_EQ(entityCount("*Paper_Space2"), 1);
}

// Read from a file, an entity finds its layer by the name in its record, in any case, and the host
// refuses it for write on a layer locked in the file or after reading.
TEST_F(SolidifyCommandTest, EntitiesReadFromAFileOnLockedLayersAreKept) {
    TempFolder folder;
    for (const bool lockedInFile : {true, false}) {
        const std::string path = folder.file(lockedInFile ? "locked.dxf" : "unlocked.dxf");
        DrawingText text;
        text.layers = {{"0"}, {"Locked", false, false, lockedInFile}};
        text.blocks.push_back({"OnLocked", {{"LOCKED", true}}, false, false});
        text.blocks.push_back({"Free", {{"0", false}, {"", true}}, false, false});
        text.writeTo(path);
        builder.reset();
        mpDb = std::make_unique<AcDbDatabase>(false, true);
        ASSERT_EQ(mpDb->readDwgFile(vrk::emu::toHost(path).c_str()), Acad::eOk);
        vrk::emu::setWorkingDatabase(mpDb.get());
        if (!lockedInFile) {
            AcDbLayerTable* pLayers = nullptr;
            ASSERT_EQ(mpDb->getLayerTable(pLayers, AcDb::kForRead), Acad::eOk);
            AcDbObjectId layerId;
            EXPECT_EQ(pLayers->getAt(vrk::emu::toHost("Locked").c_str(), layerId), Acad::eOk);
            pLayers->close();
            AcDbLayerTableRecord* pLayer = nullptr;
            ASSERT_EQ(acdbOpenObject(pLayer, layerId, AcDb::kForWrite), Acad::eOk);
            pLayer->setIsLocked(true);
            pLayer->close();
        }
        SolidifyCommand();
        EXPECT_EQ(entityCount("OnLocked"), 1) << lockedInFile;
        EXPECT_EQ(entityCount("Free"), 1) << lockedInFile;
    }
}

TEST_F(SolidifyCommandTest, DynamicBlocksLoseTheirWholeDictionaryAndArePlural) {
    AcDbObjectId blockId = addDynamicBlock("Door");
    addDynamicBlock("*U12");
    AcDbObjectId dictId = extensionDictionaryOf(blockId);
    AcDbObjectId sortId = builder->addDictionaryEntry(dictId, "ACAD_SORTENTS", "AcDbSortentsTable");
    SolidifyCommand();
    EXPECT_EQ(transcript(), "\n2 dynamic blocks have been solidfied.");
    EXPECT_TRUE(dictId.isErased());
    EXPECT_TRUE(sortId.isErased());
    EXPECT_TRUE(extensionDictionaryOf(blockId).isNull());
}

TEST_F(SolidifyCommandTest, EmptyDictionaryIsErasedReleasedAndCounted) {
    AcDbObjectId blockId = builder->addBlock("*U5");
    AcDbObjectId dictId = builder->addExtensionDictionary(blockId);
    SolidifyCommand();
    EXPECT_EQ(transcript(), "\n1 dynamic block has been solidfied.");
    EXPECT_TRUE(dictId.isErased());
    EXPECT_TRUE(extensionDictionaryOf(blockId).isNull());
}

// A block's own draw order, another program's data, and an id that leads to no dictionary at all.
TEST_F(SolidifyCommandTest, DictionaryWithoutDynamicDataIsKeptAndNotCounted) {
    AcDbObjectId sorted = builder->addBlock("Sorted");
    AcDbObjectId sortId =
        builder->addDictionaryEntry(builder->addExtensionDictionary(sorted), "ACAD_SORTENTS", "AcDbSortentsTable");
    AcDbObjectId other = builder->addBlock("Other");
    AcDbObjectId dataId =
        builder->addDictionaryEntry(builder->addExtensionDictionary(other), "ACAD_XREC_ROUNDTRIP", "AcDbXrecord");
    AcDbObjectId odd = builder->addBlock("Odd");
    AcDbObjectId notADictionary = builder->addDictionaryEntry(builder->namedObjects(), "X", "AcDbXrecord");
    vrk::emu::DrawingBuilder::setExtensionDictionary(odd, notADictionary);
    SolidifyCommand();
    EXPECT_EQ(transcript(), "\nNo dynamic block need to been solidfied.");
    for (AcDbObjectId id : {sortId, dataId, notADictionary}) EXPECT_FALSE(id.isErased());
    EXPECT_FALSE(extensionDictionaryOf(sorted).isNull());
    EXPECT_FALSE(extensionDictionaryOf(other).isNull());
    EXPECT_EQ(extensionDictionaryOf(odd), notADictionary);
}

TEST_F(SolidifyCommandTest, SecondRunFindsNothingLeft) {
    addDynamicBlock("Door");
    SolidifyCommand();
    vrk::emu::clearTranscript();
    SolidifyCommand();
    EXPECT_EQ(transcript(), "\nNo dynamic block need to been solidfied.");
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
// must end cleanly, with nothing left open, undo recording off, model space's draw order kept, and
// either no message or the count.
class SolidifyFaultSweep : public SolidifyCommandTest {
protected:
    void sweep(bool once);
};

void SolidifyFaultSweep::sweep(bool once) {
    for (long n = 1;; ++n) {
        newDrawing();
        AcDbObjectId doorId = addDynamicBlock("Door");
        addDynamicBlock("Window");
        AcDbObjectId sortId = builder->addDictionaryEntry(builder->addExtensionDictionary(builder->modelSpace()),
                                                          "ACAD_SORTENTS", "AcDbSortentsTable");
        for (int i = 0; i < 1002; ++i) builder->addEntity(doorId, AcDbObjectId::kNull, i % 2 == 0);
        vrk::emu::resetHost();
        vrk::emu::setWorkingDatabase(db());
        hostCalls().failNthCall(n, once);
        SolidifyCommand();
        SCOPED_TRACE("failing call " + std::to_string(n));
        expectNothingHeld();
        EXPECT_FALSE(db()->undoRecording());
        const std::string& out = vrk::emu::transcript();
        EXPECT_FALSE(sortId.isErased());
        // A dictionary that could not be looked at is left alone and not counted.
        EXPECT_TRUE(out.empty() || out == "\n2 dynamic blocks have been solidfied." ||
                    out == "\n1 dynamic block has been solidfied.")
            << out;
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
