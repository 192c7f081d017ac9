#include <algorithm>

#include "convert/drawing_conversion.h"
#include "emulator/db/drawing_files.h"
#include "emulator/host.h"
#include "emulator/fs/atomic_file.h"
#include "tests/support/drawing_text.h"
#include "tests/support/host_fixture.h"
#include "tests/support/run_program.h"
#include "tests/support/temp_folder.h"

namespace vrk::test {
namespace {

using vrk::emu::FaultRule;

class ConversionTest : public HostTest {
protected:
    void SetUp() override {
        HostTest::SetUp();
        source = folder.file("source.dxf");
        target = folder.file("target.dxf");
    }
    void TearDown() override {
        vrk::emu::setSaveFaults(nullptr);
        HostTest::TearDown();
    }

    static void setPath(const ACHAR* name, const std::string& path) {
        ASSERT_EQ(vrk::test::setStringVariable(name, path), RTNORM);
    }
    static short status() {
        resbuf rb;
        EXPECT_EQ(acedGetVar(ACRX_T("USERI1"), &rb), RTNORM);
        return rb.resval.rint;
    }
    void convert() {
        setPath(ACRX_T("USERS1"), source);
        setPath(ACRX_T("USERS2"), target);
        ConvertDrawingFromUserVariables();
    }

    // On a failure path the message comes first, then the status, then the side database goes.
    static void expectMessageThenStatusThenDestruction() {
        const std::vector<std::string> ops = hostCalls().loggedOps();
        auto last = [&ops](const char* op) {
            auto it = std::find(ops.rbegin(), ops.rend(), op);
            return it == ops.rend() ? -1 : static_cast<int>(ops.rend() - it) - 1;
        };
        const int printed = last("acutPrintf");
        const int written = last("acedSetVar");
        const int destroyed = last("AcDbDatabase::~AcDbDatabase");
        ASSERT_GE(printed, 0);
        EXPECT_LT(printed, written);
        EXPECT_LT(written, destroyed);
    }

    // A drawing that needs the layers opened up: invisible entities on locked, frozen and off layers.
    DrawingText layeredDrawing() {
        DrawingText d;
        d.layers = {
            {"0"}, {"Off", true}, {"Frozen", false, true}, {"Locked", false, false, true}, {"All", true, true, true}};
        d.blocks = {{"Door", {{"Locked", true}, {"Off", true}, {"0", false}, {"Frozen", true}}, true},
                    {"*U3", {{"All", true}, {"Locked", false}}, false}};
        d.modelEntities = {{"0", true}};
        return d;
    }

    // Reads the target back and describes it through the host.
    struct Result {
        int invisibleInBlocks = 0;
        int blocksWithDictionary = 0;
        std::vector<std::string> switches;  // name:off/frozen/locked
    };
    Result readBack(const std::string& path) {
        AcDbDatabase db(false, false);
        Result r;
        EXPECT_EQ(db.readDwgFile(vrk::emu::toHost(path).c_str()), Acad::eOk);
        AcDbLayerTable* pLayers = nullptr;
        db.getSymbolTable(pLayers, AcDb::kForRead);
        AcDbLayerTableIterator* pLayerIt = nullptr;
        pLayers->newIterator(pLayerIt);
        for (; !pLayerIt->done(); pLayerIt->step()) {
            AcDbLayerTableRecord* pLayer = nullptr;
            pLayerIt->getRecord(pLayer, AcDb::kForRead);
            const ACHAR* name = nullptr;
            pLayer->getName(name);
            r.switches.push_back(vrk::emu::fromHost(name) + ":" + (pLayer->isOff() ? "1" : "0") +
                                 (pLayer->isFrozen() ? "1" : "0") + (pLayer->isLocked() ? "1" : "0"));
            pLayer->close();
        }
        delete pLayerIt;
        pLayers->close();
        AcDbBlockTable* pBlocks = nullptr;
        db.getSymbolTable(pBlocks, AcDb::kForRead);
        AcDbBlockTableIterator* pBlockIt = nullptr;
        pBlocks->newIterator(pBlockIt);
        for (; !pBlockIt->done(); pBlockIt->step()) {
            AcDbBlockTableRecord* pBlock = nullptr;
            pBlockIt->getRecord(pBlock, AcDb::kForRead);
            r.blocksWithDictionary += !pBlock->extensionDictionary().isNull();
            AcDbBlockTableRecordIterator* pEntIt = nullptr;
            pBlock->newIterator(pEntIt);
            for (; !pEntIt->done(); pEntIt->step()) {
                AcDbEntity* pEnt = nullptr;
                pEntIt->getEntity(pEnt, AcDb::kForRead);
                r.invisibleInBlocks += pEnt->visibility() == AcDb::kInvisible;
                pEnt->close();
            }
            delete pEntIt;
            pBlock->close();
        }
        delete pBlockIt;
        pBlocks->close();
        return r;
    }

    TempFolder folder;
    std::string source;
    std::string target;
};

TEST_F(ConversionTest, ErasesInvisibleEntitiesBehindLockedLayersAndKeepsSwitchesAndDictionaries) {
    DrawingText d = layeredDrawing();
    d.writeTo(source);
    const std::string before = fileContents(source);
    const Result original = readBack(source);
    hostCalls().setLogging(true);
    convert();
    EXPECT_EQ(status(), CONVERSION_DONE);
    EXPECT_EQ(transcript(), "");
    const Result r = readBack(target);
    EXPECT_EQ(r.invisibleInBlocks, 0);
    EXPECT_EQ(r.blocksWithDictionary, 1);
    EXPECT_EQ(r.switches, original.switches);
    EXPECT_EQ(fileContents(source), before);

    // Success is written once the side database is gone.
    const std::vector<std::string> ops = hostCalls().loggedOps();
    auto destroyed = std::find(ops.begin(), ops.end(), "AcDbDatabase::~AcDbDatabase");
    auto written = std::find(ops.rbegin(), ops.rend(), "acedSetVar");
    ASSERT_NE(destroyed, ops.end());
    ASSERT_NE(written, ops.rend());
    EXPECT_LT(destroyed - ops.begin(), ops.rend() - written - 1);
}

// The source is read denying others write access (0x20), with no code-page conversion, so the
// conversion runs while the drawing is open in the editor and cannot save over a drawing open there.
TEST_F(ConversionTest, ReadsDenyingWritesAndHonoursTheEditorsOpenFiles) {
    layeredDrawing().writeTo(source);
    const struct {
        const char* what;
        std::string heldPath;
        int heldShareMode;
        const char* message;
        int status;
    } cases[] = {
        {"source open in the editor", source, _SH_DENYWR, "", CONVERSION_DONE},
        {"source open for no one else", source, _SH_DENYRW, "\nRuntime ERROR[30101]", CONVERSION_NO_FILE},
        {"target open in the editor", target, _SH_DENYWR, "\nRuntime ERROR[30106]", CONVERSION_NOT_SAVED},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        layeredDrawing().writeTo(target);
        const std::string before = fileContents(target);
        AcDbDatabase editorDb(false, true);
        ASSERT_EQ(editorDb.readDwgFile(vrk::emu::toHost(c.heldPath).c_str(), c.heldShareMode), Acad::eOk);
        vrk::emu::clearTranscript();
        convert();
        EXPECT_EQ(transcript(), c.message);
        EXPECT_EQ(status(), c.status);
        const vrk::emu::DrawingFileRead& read = vrk::emu::drawingFileReads().back();
        EXPECT_EQ(read.path, source);
        EXPECT_EQ(read.shareMode, 0x20);
        EXPECT_FALSE(read.allowCodePageConversion);
        if (c.status != CONVERSION_DONE) {
            EXPECT_EQ(fileContents(target), before);
        }
    }
}

// The current layer comes from the file's $CLAYER (names compare ignoring case) and goes back to it;
// the host makes no frozen layer current.
TEST_F(ConversionTest, CurrentLayerIsReadFromAndWrittenBackToTheDrawingFile) {
    DrawingText d;
    d.layers = {{"0"}, {"Walls"}, {"Doors"}, {"Frozen", false, true}};
    d.currentLayer = "WALLS";
    d.writeTo(source);
    auto currentLayerOf = [](AcDbDatabase& db) {
        AcDbLayerTableRecord* pLayer = nullptr;
        EXPECT_EQ(acdbOpenObject(pLayer, db.clayer(), AcDb::kForRead), Acad::eOk);
        if (pLayer == nullptr) return std::string();
        const ACHAR* pName = nullptr;
        pLayer->getName(pName);
        const std::string name = vrk::emu::fromHost(pName);
        pLayer->close();
        return name;
    };
    auto layerNamed = [](AcDbDatabase& db, const ACHAR* name) {
        AcDbLayerTable* pLayerTable = nullptr;
        AcDbObjectId layerId;
        EXPECT_EQ(db.getSymbolTable(pLayerTable, AcDb::kForRead), Acad::eOk);
        EXPECT_EQ(pLayerTable->getAt(name, layerId), Acad::eOk);
        pLayerTable->close();
        return layerId;
    };
    {
        AcDbDatabase db(false, true);
        ASSERT_EQ(db.readDwgFile(vrk::emu::toHost(source).c_str()), Acad::eOk);
        EXPECT_EQ(currentLayerOf(db), "Walls");
        EXPECT_EQ(db.setClayer(layerNamed(db, ACRX_T("Frozen"))), Acad::eInvalidInput);
        EXPECT_EQ(currentLayerOf(db), "Walls");
        ASSERT_EQ(db.setClayer(layerNamed(db, ACRX_T("Doors"))), Acad::eOk);
        ASSERT_EQ(db.saveAs(vrk::emu::toHost(target).c_str()), Acad::eOk);
    }
    EXPECT_NE(fileContents(target).find("$CLAYER\n8\nDoors\n"), std::string::npos);
    AcDbDatabase db(false, true);
    ASSERT_EQ(db.readDwgFile(vrk::emu::toHost(target).c_str()), Acad::eOk);
    EXPECT_EQ(currentLayerOf(db), "Doors");
}

TEST_F(ConversionTest, LayersPastThe256thKeepTheirSwitchesDuringTheWork) {
    DrawingText d;
    for (int i = 1; i < 300; ++i) d.layers.push_back({"L" + std::to_string(i), false, false, true});
    // The 291st layer stays locked: its invisible entity stops the walk of its block.
    d.blocks = {{"Early", {{"L10", true}, {"L10", true}}, false}, {"Late", {{"L290", true}, {"L10", true}}, false}};
    d.writeTo(source);
    convert();
    EXPECT_EQ(status(), CONVERSION_DONE);
    const Result r = readBack(target);
    EXPECT_EQ(r.invisibleInBlocks, 2);
    for (int i = 1; i < 300; ++i) EXPECT_EQ(r.switches[i], "L" + std::to_string(i) + ":001");
}

TEST_F(ConversionTest, MissingOrEmptyPathsGiveStatusTwoSilently) {
    setPath(ACRX_T("USERS1"), "/tmp/whatever.dxf");
    setPath(ACRX_T("USERS2"), "");
    ConvertDrawingFromUserVariables();
    EXPECT_EQ(status(), CONVERSION_NO_FILE);
    EXPECT_EQ(transcript(), "");
    EXPECT_TRUE(folder.entries().empty());
    EXPECT_EQ(ConvertDrawingFile(nullptr, ACRX_T("x.dxf")), CONVERSION_NO_FILE);
}

// USERS1 or USERS2 that cannot be read ends the routine before anything: no message, no status.
TEST_F(ConversionTest, UnreadablePathVariableStopsSilently) {
    layeredDrawing().writeTo(source);
    for (long nth : {1, 2}) {
        SCOPED_TRACE(nth == 1 ? "USERS1" : "USERS2");
        resbuf rbSentinel;
        rbSentinel.rbnext = nullptr;
        rbSentinel.restype = RTSHORT;
        rbSentinel.resval.rint = 7;
        ASSERT_EQ(acedSetVar(ACRX_T("USERI1"), &rbSentinel), RTNORM);
        setPath(ACRX_T("USERS1"), source);
        setPath(ACRX_T("USERS2"), target);
        vrk::emu::clearTranscript();
        hostCalls().clearFaults();
        hostCalls().addFault(FaultRule{"acedGetVar", 0, nth});
        hostCalls().setLogging(true);
        ConvertDrawingFromUserVariables();
        hostCalls().setLogging(false);
        hostCalls().clearFaults();
        const std::vector<std::string> ops = hostCalls().loggedOps();
        hostCalls().clearLog();
        EXPECT_EQ(status(), 7);
        EXPECT_EQ(transcript(), "");
        EXPECT_EQ(std::count(ops.begin(), ops.end(), "acedGetVar"), nth);
        EXPECT_EQ(std::count(ops.begin(), ops.end(), "AcDbDatabase::readDwgFile"), 0);
        EXPECT_FALSE(TempFolder::exists(target));
    }
}

TEST_F(ConversionTest, UnreadableSourceGivesRuntimeError30101) {
    hostCalls().setLogging(true);
    convert();
    EXPECT_EQ(transcript(), "\nRuntime ERROR[30101]");
    EXPECT_EQ(status(), CONVERSION_NO_FILE);
    EXPECT_FALSE(TempFolder::exists(target));
    expectMessageThenStatusThenDestruction();

    std::ofstream(source) << "0\nSECTION\n2\nHEADER\n";  // cut short
    vrk::emu::clearTranscript();
    convert();
    EXPECT_EQ(transcript(), "\nRuntime ERROR[30101]");
    EXPECT_FALSE(TempFolder::exists(target));
}

TEST_F(ConversionTest, EachFailureHasItsMessageAndStatusAndWritesNothing) {
    layeredDrawing().writeTo(source);
    const struct {
        FaultRule rule;
        const char* message;
        int status;
    } cases[] = {
        {{"AcDbDatabase::getSymbolTable", 0, 2}, "\nRuntime ERROR[30102]", CONVERSION_BAD_BLOCKS},
        {{"AcDbBlockTable::newIterator"}, "\nRuntime ERROR[3103]", CONVERSION_BAD_BLOCKS},
        // The five layers are opened through the same call first.
        {{"AcDbSymbolTableIterator::getRecord", 0, 7}, "\nRuntime ERROR[30104]", CONVERSION_BAD_BLOCKS},
        {{"AcDbSymbolTableRecord::getName", 0, 3}, "\nRuntime ERROR[30105]", CONVERSION_BAD_BLOCKS},
        {{"AcDbDatabase::saveAs"}, "\nRuntime ERROR[30106]", CONVERSION_NOT_SAVED},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.message);
        hostCalls().clearFaults();
        hostCalls().addFault(c.rule);
        vrk::emu::clearTranscript();
        hostCalls().clearLog();
        hostCalls().setLogging(true);
        convert();
        hostCalls().setLogging(false);
        EXPECT_EQ(transcript(), c.message);
        EXPECT_EQ(status(), c.status);
        expectMessageThenStatusThenDestruction();
        EXPECT_FALSE(TempFolder::exists(target));
        expectNothingHeld();
    }
}

TEST_F(ConversionTest, FailedSaveLeavesTheOldTargetWhole) {
    layeredDrawing().writeTo(source);
    std::ofstream(target) << "the old target";
    vrk::fs::SaveFaults faults;
    faults.failWriteAtByte = 100;
    vrk::emu::setSaveFaults(&faults);
    convert();
    EXPECT_EQ(transcript(), "\nRuntime ERROR[30106]");
    EXPECT_EQ(status(), CONVERSION_NOT_SAVED);
    EXPECT_EQ(fileContents(target), "the old target");
    std::vector<std::string> entries = folder.entries();
    std::sort(entries.begin(), entries.end());
    EXPECT_EQ(entries, (std::vector<std::string>{"source.dxf", "target.dxf"}));
}

// Fails host call 1, 2, 3 ... of a conversion until one completes: each run must end with nothing
// open, a status that matches what was printed, and either no target or a complete one.
TEST_F(ConversionTest, FaultSweep) {
    layeredDrawing().writeTo(source);
    for (bool once : {true, false}) {
        for (long n = 1;; ++n) {
            SCOPED_TRACE(std::to_string(n) + (once ? " once" : " from then on"));
            std::remove(target.c_str());
            vrk::emu::resetHost();
            setPath(ACRX_T("USERS1"), source);
            setPath(ACRX_T("USERS2"), target);
            hostCalls().failNthCall(n, once);
            ConvertDrawingFromUserVariables();
            expectNothingHeld();
            const bool fired = hostCalls().faultsFired() > 0;
            // A status that could not be written leaves USERI1 as it was (0 after the reset).
            bool statusLost = false;
            for (const auto& call : hostCalls().failedCalls()) statusLost |= call.op == "acedSetVar";
            hostCalls().clearFaults();
            const short code = status();
            if (!statusLost) {
                EXPECT_EQ(TempFolder::exists(target), code == CONVERSION_DONE);
            }
            if (!fired) {
                EXPECT_EQ(code, CONVERSION_DONE);
                EXPECT_EQ(readBack(target).invisibleInBlocks, 0);
                break;
            }
            ASSERT_LT(n, 10000);
        }
    }
}

}  // namespace
}  // namespace vrk::test
