// Indexes built by the reader: sections, tables, layers, block records and their entities, parts,
// dictionaries, ownership, classes.

#include <set>

#include "handmade.h"
#include "test_support.h"

namespace vrk::dxf::testing {
namespace {

class HandmadeIndex : public ::testing::Test {
protected:
    void SetUp() override { doc = parseOk(handmade()); }
    RecordIndex at(Handle h) const { return doc->find(h); }
    std::set<Handle> handlesOf(const std::vector<RecordIndex>& v) const {
        std::set<Handle> s;
        for (RecordIndex i : v) s.insert(doc->record(i).handle);
        return s;
    }
    std::unique_ptr<Document> doc;
};

TEST_F(HandmadeIndex, HeaderAndSections) {
    EXPECT_EQ(doc->acadVersion(), "AC1032");
    EXPECT_EQ(doc->versionNumber(), 1032);
    EXPECT_TRUE(doc->usesUtf8());
    EXPECT_EQ(doc->codePage(), "ANSI_1252");
    EXPECT_EQ(doc->handseed(), 0x100u);
    EXPECT_EQ(doc->maxHandle(), 0x50u);
    EXPECT_FALSE(doc->crlf());
    std::vector<std::string_view> names;
    for (const SectionInfo& s : doc->sections()) names.push_back(s.name);
    EXPECT_EQ(names, (std::vector<std::string_view>{"HEADER", "CLASSES", "TABLES", "BLOCKS", "ENTITIES", "OBJECTS"}));
    ASSERT_NE(doc->headerVar("$HANDSEED"), kNoRecord);
    EXPECT_EQ(doc->value(doc->headerVar("$HANDSEED"), 5), "100");
    EXPECT_EQ(doc->typeName(RecordIndex(doc->recordCount() - 1)), "EOF");
}

TEST_F(HandmadeIndex, RecordsKnowHandleOwnerXdictAndPlace) {
    RecordIndex br = at(0x20);
    ASSERT_NE(br, kNoRecord);
    EXPECT_EQ(doc->typeName(br), "BLOCK_RECORD");
    EXPECT_EQ(doc->record(br).kind, RecordKind::TableEntry);
    EXPECT_EQ(doc->record(br).owner, 0x1u);
    EXPECT_EQ(doc->record(br).xdict, 0x30u);
    EXPECT_EQ(doc->tableOf(br)->name, "BLOCK_RECORD");
    EXPECT_EQ(doc->sectionOf(br)->id, SectionId::Tables);
    EXPECT_EQ(doc->blockReferences(br), (std::vector<Handle>{0x40, 0x41}));
    // DIMSTYLE's handle is 105; its 5 is an (empty) arrow block name.
    EXPECT_EQ(doc->typeName(at(0x4)), "DIMSTYLE");
    // Owner is the 330 outside 102 groups, not the reactor before it.
    EXPECT_EQ(doc->record(at(0x41)).owner, 0x1Fu);
    EXPECT_EQ(doc->reactors(at(0x41)), (std::vector<Handle>{0x50}));
    EXPECT_EQ(doc->enclosingBlock(at(0x24)), at(0x23));
    EXPECT_EQ(doc->enclosingBlock(at(0x40)), kNoRecord);
}

TEST_F(HandmadeIndex, LayersAndBlockRecords) {
    ASSERT_EQ(doc->layers().size(), 2u);
    const LayerInfo* walls = doc->layer("Walls");
    ASSERT_NE(walls, nullptr);
    EXPECT_EQ(walls->color, 5);
    EXPECT_FALSE(walls->off() || walls->frozen() || walls->locked());
    ASSERT_EQ(doc->blockRecords().size(), 2u);
    const BlockRecordInfo& door = doc->blockRecords()[1];
    EXPECT_EQ(door.name, "Door");
    EXPECT_EQ(door.blockBegin, at(0x23));
    EXPECT_EQ(door.blockEnd, at(0x26));
}

TEST_F(HandmadeIndex, BlockEntitiesLeavePartsToTheirOwner) {
    std::vector<RecordIndex> door(doc->blockEntities(1).begin(), doc->blockEntities(1).end());
    EXPECT_EQ(handlesOf(door), (std::set<Handle>{0x24, 0x25}));
    EXPECT_TRUE(doc->invisible(at(0x24)));
    EXPECT_FALSE(doc->invisible(at(0x25)));
    EXPECT_EQ(doc->entityLayer(at(0x25)), "Walls");
    std::vector<RecordIndex> model(doc->blockEntities(0).begin(), doc->blockEntities(0).end());
    EXPECT_EQ(handlesOf(model), (std::set<Handle>{0x40, 0x41}));
    EXPECT_EQ(handlesOf(doc->parts(at(0x40))), (std::set<Handle>{0x42, 0x43}));
    EXPECT_TRUE(doc->isPart(at(0x42)));
    EXPECT_EQ(doc->entityBlockSlot(at(0x42)), 0);
    EXPECT_EQ(doc->insertColumns(at(0x41)), 3);
    EXPECT_EQ(doc->insertRows(at(0x41)), 2);
    EXPECT_EQ(doc->insertColumns(at(0x40)), 1);
}

TEST_F(HandmadeIndex, DictionariesAndOwnership) {
    EXPECT_EQ(doc->namedObjectsDictionary(), at(0xC));
    auto entries = doc->dictionaryEntries(at(0xC));
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[1].key, "MYDATA");
    EXPECT_EQ(entries[1].handle, 0x50u);
    EXPECT_FALSE(entries[1].hardOwner);
    auto xdict = doc->dictionaryEntries(at(0x30));
    ASSERT_EQ(xdict.size(), 1u);
    EXPECT_TRUE(xdict[0].hardOwner);
    EXPECT_EQ(handlesOf(doc->ownedClosure(at(0x20))), (std::set<Handle>{0x23, 0x24, 0x25, 0x26, 0x30, 0x31, 0x32}));
    EXPECT_EQ(handlesOf(doc->ownedClosure(at(0x40))), (std::set<Handle>{0x42, 0x43}));
    EXPECT_EQ(handlesOf(doc->ownedClosure(at(0x30))), (std::set<Handle>{0x31, 0x32}));
    EXPECT_TRUE(doc->ownedClosure(at(0x25)).empty());
}

TEST_F(HandmadeIndex, ClassesAndValues) {
    ASSERT_EQ(doc->classes().size(), 1u);
    const ClassInfo& c = doc->classes()[0];
    EXPECT_EQ(c.dxfName, "ACAD_EVALUATION_GRAPH");
    EXPECT_EQ(c.cppName, "AcDbEvalGraph");
    EXPECT_EQ(c.appName, "ObjectDBX Classes");
    EXPECT_EQ(c.proxyFlags, 1153);
    EXPECT_EQ(c.instanceCount, 1);
    long long v = 0;
    EXPECT_TRUE(doc->intValue(at(0x11), 62, v));
    EXPECT_EQ(v, 5);
    EXPECT_FALSE(doc->intValue(at(0x11), 999, v));
    EXPECT_EQ(doc->value(at(0x25), 0), "LINE");
}

TEST(GeneratedIndex, DynamicBlockStructureIsVisible) {
    samplegen::Options o;
    o.blocks = 3;
    o.entitiesPerBlock = 9;
    o.bigBlockEntities = 1001;
    auto doc = parseOk(samplegen::generateDrawing(o));
    ASSERT_NE(doc, nullptr);
    int withXdict = 0, anonymous = 0;
    std::size_t invisibleInBlocks = 0, bigCount = 0;
    for (std::size_t s = 0; s < doc->blockRecords().size(); ++s) {
        const BlockRecordInfo& b = doc->blockRecords()[s];
        if (doc->record(b.record).xdict != kNoHandle && b.name.substr(0, 2) != "*U") ++withXdict;
        if (b.name.substr(0, 2) == "*U") ++anonymous;
        for (RecordIndex e : doc->blockEntities(s)) {
            if (b.name != "*Model_Space" && doc->invisible(e)) ++invisibleInBlocks;
        }
        if (b.name == "BigBlock") bigCount = doc->blockEntities(s).size();
    }
    EXPECT_EQ(withXdict, 3);
    EXPECT_EQ(anonymous, 6);
    EXPECT_GT(invisibleInBlocks, 0u);
    EXPECT_EQ(bigCount, 1001u);
    const LayerInfo* off = doc->layer("Hidden_Off");
    const LayerInfo* frozen = doc->layer("Hidden_Frozen");
    const LayerInfo* locked = doc->layer("Locked");
    ASSERT_TRUE(off && frozen && locked);
    EXPECT_TRUE(off->off());
    EXPECT_TRUE(frozen->frozen());
    EXPECT_TRUE(locked->locked());
    // Every entity record that is not a part lands in exactly one block record.
    std::size_t listed = 0, expected = 0;
    for (std::size_t s = 0; s < doc->blockRecords().size(); ++s) listed += doc->blockEntities(s).size();
    for (RecordIndex i = 0; i < doc->recordCount(); ++i) {
        if (doc->record(i).kind == RecordKind::Entity && !doc->isPart(i)) ++expected;
    }
    EXPECT_EQ(listed, expected);
}

TEST(GeneratedIndex, SixtyFourBitHandles) {
    samplegen::Options o;
    o.blocks = 2;
    o.firstHandle = 0xFFFFFFFFFFFFF000ULL;
    auto doc = parseOk(samplegen::generateDrawing(o));
    ASSERT_NE(doc, nullptr);
    EXPECT_GT(doc->maxHandle(), 0xFFFFFFFFFFFFF000ULL);
    EXPECT_GT(doc->handseed(), doc->maxHandle());
    RecordIndex i = doc->find(0xFFFFFFFFFFFFF000ULL);
    ASSERT_NE(i, kNoRecord);
    EXPECT_EQ(doc->typeName(i), "TABLE");
}

// addOwned (what a save leaves out) finds what ownedClosure finds, from every record of a drawing with
// dynamic blocks, and where owners come after what they own, link after link.
TEST(OwnershipWithoutIndex, AddOwnedIsTheClosure) {
    std::string chain;
    for (int k = 1; k <= 8; ++k)
        chain +=
            "  0\nXRECORD\n  5\nA" + std::to_string(k) + "\n330\n" + (k < 8 ? "A" + std::to_string(k + 1) : "C") + "\n";
    std::string reversed = handmade();
    reversed.insert(reversed.rfind("  0\nENDSEC\n"), chain);
    for (const std::string& bytes : {generated(2, 6), reversed}) {
        auto doc = parseOk(bytes);
        ASSERT_NE(doc, nullptr);
        const RecordIndex n = RecordIndex(doc->recordCount());
        for (RecordIndex root = 0; root < n; ++root) {
            std::vector<std::uint8_t> set(n, 0);
            set[root] = 1;
            const std::vector<RecordIndex> closure = doc->ownedClosure(root);
            EXPECT_EQ(doc->addOwned(set), closure.size());
            std::vector<std::uint8_t> expected(n, 0);
            expected[root] = 1;
            for (RecordIndex i : closure) expected[i] = 1;
            for (RecordIndex i = 0; i < n; ++i)
                ASSERT_EQ(set[i] != 0, expected[i] != 0) << "root " << root << ", record " << i;
        }
    }
}

TEST(RealworldIndex, EveryDrawingIndexesConsistently) {
    auto files = realworldFiles();
    if (files.empty()) GTEST_SKIP() << vrk::test::noRealworldDrawing();
    for (const std::string& f : files) {
        SCOPED_TRACE(f);
        ReadError err;
        auto doc = readDocument(f, err);
        ASSERT_NE(doc, nullptr) << err.describe();
        EXPECT_GE(doc->versionNumber(), 1015);
        EXPECT_GT(doc->handseed(), doc->maxHandle());
        EXPECT_FALSE(doc->layers().empty());
        EXPECT_GE(doc->blockRecords().size(), 2u);
        std::size_t listed = 0, expected = 0;
        for (std::size_t s = 0; s < doc->blockRecords().size(); ++s) {
            EXPECT_NE(doc->blockRecords()[s].blockBegin, kNoRecord) << doc->blockRecords()[s].name;
            listed += doc->blockEntities(s).size();
        }
        for (RecordIndex i = 0; i < doc->recordCount(); ++i) {
            if (doc->record(i).kind == RecordKind::Entity && !doc->isPart(i)) ++expected;
        }
        EXPECT_EQ(listed, expected);
    }
}

TEST(RealworldIndex, VisibilityParameterSample) {
    VRK_REALWORLD_DRAWING(path, "acadsharp__BLOCKVISIBILITYPARAMETER.dxf");
    ReadError err;
    auto doc = readDocument(path, err);
    ASSERT_NE(doc, nullptr) << err.describe();
    int anonymousWithInvisible = 0, withXdict = 0;
    for (std::size_t s = 0; s < doc->blockRecords().size(); ++s) {
        const BlockRecordInfo& b = doc->blockRecords()[s];
        if (doc->record(b.record).xdict != kNoHandle) ++withXdict;
        bool any = false;
        for (RecordIndex e : doc->blockEntities(s)) any |= doc->invisible(e);
        if (any && b.name.substr(0, 2) == "*U") ++anonymousWithInvisible;
    }
    EXPECT_GT(withXdict, 1);
    EXPECT_GT(anonymousWithInvisible, 0);
    // The dynamic definition's dictionary leads to the evaluation graph.
    RecordIndex br = findNamed(*doc, "BLOCK_RECORD", "block_visibility_parameter");
    ASSERT_NE(br, kNoRecord);
    RecordIndex xdict = doc->find(doc->record(br).xdict);
    ASSERT_NE(xdict, kNoRecord);
    bool enhanced = false;
    for (const DictionaryEntry& e : doc->dictionaryEntries(xdict)) enhanced |= e.key == "ACAD_ENHANCEDBLOCK";
    EXPECT_TRUE(enhanced);
    EXPECT_GT(doc->ownedClosure(xdict).size(), 3u);
}

TEST(RealworldIndex, LayerSwitchesOfTheFeatureSample) {
    VRK_REALWORLD_DRAWING(path, "acadsharp__sample_AC1018_ascii.dxf");
    ReadError err;
    auto doc = readDocument(path, err);
    ASSERT_NE(doc, nullptr) << err.describe();
    EXPECT_EQ(doc->versionNumber(), 1018);
    EXPECT_FALSE(doc->usesUtf8());
    int off = 0, frozen = 0, locked = 0;
    for (const LayerInfo& l : doc->layers()) {
        off += l.off();
        frozen += l.frozen();
        locked += l.locked();
    }
    EXPECT_GT(off, 0);
    EXPECT_GT(frozen, 0);
    EXPECT_GT(locked, 0);
}

}  // namespace
}  // namespace vrk::dxf::testing
