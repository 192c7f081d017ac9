#include "emulator/text.h"
#include "routines/reference_dictionary_release.h"
#include "tests/routines/routine_fixture.h"

namespace vrk::test {
namespace {

using vrk::emu::FaultRule;
using vrk::emu::StatusBarEvent;

class ReferenceDictionaryReleaseTest : public RoutineTest {
protected:
    // In the block "Host": references of every kind, each with an empty extension dictionary
    // unless said otherwise.
    void buildDrawing() {
        AcDbObjectId target = builder->addBlock("Target");
        hostBlock = builder->addBlock("Host");
        reference = withDictionary(builder->addReference(hostBlock, target));
        bare = builder->addReference(hostBlock, target);
        minsert = withDictionary(builder->addReference(hostBlock, target, "AcDbMInsertBlock"));
        table = withDictionary(builder->addReference(hostBlock, target, "AcDbTable"));
        line = withDictionary(builder->addEntity(hostBlock));
        full = withDictionary(builder->addReference(hostBlock, target));
        builder->addDictionaryEntry(full.dictionary, "ACAD_XREC", "AcDbXrecord");
        last = withDictionary(builder->addReference(hostBlock, target));
        elsewhere = withDictionary(builder->addReference(builder->modelSpace(), target));
    }

    struct Owner {
        AcDbObjectId id, dictionary;
    };
    Owner withDictionary(AcDbObjectId id) { return {id, builder->addExtensionDictionary(id)}; }

    static bool released(const Owner& o) {
        AcDbObject* pObj = nullptr;
        EXPECT_EQ(acdbOpenAcDbObject(pObj, o.id, AcDb::kForRead), Acad::eOk);
        if (pObj == nullptr) return false;
        const bool none = pObj->extensionDictionary().isNull();
        pObj->close();
        return none && o.dictionary.isErased();
    }
    static int restores() {
        int n = 0;
        for (const StatusBarEvent& e : vrk::emu::statusBarEvents()) n += e.kind == StatusBarEvent::Restore;
        return n;
    }
    void run(const char* name = "Host") { ReleaseReferenceExtensionDictionaries(db(), vrk::emu::toHost(name).c_str()); }

    AcDbObjectId hostBlock, bare;
    Owner reference, minsert, table, line, full, last, elsewhere;
};

TEST_F(ReferenceDictionaryReleaseTest, ReleasesOnlyReferencesOfTheExactClassesAndGoesOnPastARefusal) {
    buildDrawing();
    hostCalls().setLogging(true);
    run();
    EXPECT_TRUE(released(reference));
    EXPECT_TRUE(released(minsert));
    EXPECT_TRUE(released(last));
    EXPECT_FALSE(released(table));  // derived from the block reference class
    EXPECT_FALSE(released(line));
    EXPECT_FALSE(released(full));       // the host refuses while the dictionary holds entries
    EXPECT_FALSE(released(elsewhere));  // another block
    EXPECT_EQ(restores(), 1);
    EXPECT_EQ(countOps("AcDbBlockTableRecordIterator::getEntity"), 7);  // every entity, for write
    EXPECT_EQ(countOps("AcDbObject::releaseExtensionDictionary"), 4);   // not for the one without
    EXPECT_EQ(transcript(), "");
}

TEST_F(ReferenceDictionaryReleaseTest, UnknownNameOpensOnlyTheBlockTable) {
    buildDrawing();
    hostCalls().setLogging(true);
    run("Nowhere");
    EXPECT_EQ(hostCalls().loggedOps(),
              (std::vector<std::string>{"AcDbDatabase::getSymbolTable", "AcDbBlockTable::getAt", "AcDbObject::close"}));
    EXPECT_FALSE(released(reference));
    EXPECT_EQ(restores(), 0);
}

TEST_F(ReferenceDictionaryReleaseTest, EntityThatDoesNotOpenEndsTheWalkWithoutRestoringTheStatusBar) {
    buildDrawing();
    builder->addEntity(hostBlock, builder->addLayer("Locked", false, false, true));
    Owner after = withDictionary(builder->addReference(hostBlock, bare));
    run();
    EXPECT_TRUE(released(reference));
    EXPECT_TRUE(released(last));
    EXPECT_FALSE(released(after));
    EXPECT_EQ(restores(), 0);
}

// Fails host call 1, 2, 3 ... until a run completes.  A run never touches what is not an exact
// reference, restores the status bar exactly when its walk reached the end, and leaves a reference's
// dictionary only when some call failed.
class ReferenceDictionaryReleaseSweep : public ReferenceDictionaryReleaseTest {
protected:
    void sweep(bool once) {
        for (long n = 1;; ++n) {
            SCOPED_TRACE("failing call " + std::to_string(n));
            newDrawing();
            buildDrawing();
            armFault(n, once);
            run();
            const bool faulted = hostCalls().faultsFired() > 0;
            const bool walkEnded =
                !failedAny({"AcDbDatabase::getSymbolTable", "AcDbBlockTable::getAt",
                            "AcDbBlockTableRecord::newIterator", "AcDbBlockTableRecordIterator::getEntity"});
            disarm();
            expectNothingHeld();
            EXPECT_EQ(vrk::emu::transcript(), "");
            EXPECT_EQ(restores(), walkEnded ? 1 : 0);
            for (const Owner& o : {table, line, full, elsewhere}) EXPECT_FALSE(released(o));
            for (const Owner& o : {reference, minsert, last}) EXPECT_TRUE(released(o) || faulted);
            if (!faulted) break;
            ASSERT_LT(n, 10000);
        }
    }
};

TEST_F(ReferenceDictionaryReleaseSweep, FailingOnce) { sweep(true); }
TEST_F(ReferenceDictionaryReleaseSweep, FailingFromThenOn) { sweep(false); }

}  // namespace
}  // namespace vrk::test
