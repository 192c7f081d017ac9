// Edits on save: left-out objects and what they own, released extension dictionaries, layer switches,
// value edits, and the mending of references, each checked by reading the output again.

#include <map>
#include <set>

#include "handmade.h"
#include "test_support.h"

namespace vrk::dxf::testing {
namespace {

class Edits : public ::testing::Test {
protected:
    void SetUp() override { doc = parseOk(handmade()); }

    // Writes with the edits, reads the result back, and checks it is a readable drawing.
    std::unique_ptr<Document> saveAndReread(const EditSet& edits, WriteStats* stats = nullptr) {
        out = writeToString(*doc, edits, stats);
        ReadError err;
        auto again = parseDocument(out, err);
        EXPECT_NE(again, nullptr) << err.describe();
        return again;
    }
    // Handles of records whose bytes differ from the source's.
    std::set<Handle> changed(const Document& again) const {
        std::set<Handle> s;
        for (RecordIndex i = 0; i < again.recordCount(); ++i) {
            Handle h = again.record(i).handle;
            if (h == kNoHandle) continue;
            RecordIndex j = doc->find(h);
            if (j == kNoRecord || doc->recordBytes(j) != again.recordBytes(i)) s.insert(h);
        }
        return s;
    }
    static std::vector<std::string_view> values(const Document& d, Handle h, int code) {
        std::vector<std::string_view> v;
        for (const Tag& t : d.tags(d.find(h))) {
            if (t.code == code) v.push_back(t.value);
        }
        return v;
    }

    std::unique_ptr<Document> doc;
    std::string out;
};

TEST_F(Edits, LeftOutEntityIsMendedEverywhere) {
    EditSet edits;
    edits.leaveOut(0x24);
    WriteStats stats;
    auto again = saveAndReread(edits, &stats);
    ASSERT_NE(again, nullptr);
    EXPECT_EQ(again->find(0x24), kNoRecord);
    EXPECT_EQ(values(*again, 0x32, 331), (std::vector<std::string_view>{"0", "25"}));
    EXPECT_EQ(values(*again, 0x32, 332), (std::vector<std::string_view>{"0"}));
    EXPECT_EQ(values(*again, 0x50, 340), (std::vector<std::string_view>{"0", "25"}));
    EXPECT_EQ(values(*again, 0x41, 1005), (std::vector<std::string_view>{"0"}));
    EXPECT_EQ(changed(*again), (std::set<Handle>{0x32, 0x50, 0x41}));
    EXPECT_EQ(stats.recordsLeftOut, 1u);
    EXPECT_EQ(stats.referencesMended, 4u);
    // Four "24" values became "0": one byte shorter each.
    EXPECT_EQ(out.size(), handmade().size() - doc->recordBytes(doc->find(0x24)).size() - 4);
}

TEST_F(Edits, ReleasedExtensionDictionaryAndItsTreeAreGone) {
    EditSet edits;
    edits.releaseExtensionDictionary(0x20);
    edits.leaveOut(0x30);
    auto again = saveAndReread(edits);
    ASSERT_NE(again, nullptr);
    RecordIndex br = again->find(0x20);
    ASSERT_NE(br, kNoRecord);
    EXPECT_EQ(again->record(br).xdict, kNoHandle);
    EXPECT_EQ(again->recordBytes(br).find("ACAD_XDICTIONARY"), std::string_view::npos);
    for (Handle h : {0x30, 0x31, 0x32}) EXPECT_EQ(again->find(Handle(h)), kNoRecord);
    EXPECT_EQ(changed(*again), (std::set<Handle>{0x20}));
    // Only the group went: the record is otherwise the bytes read.
    std::string expected(doc->recordBytes(doc->find(0x20)));
    expected.erase(expected.find("102\n{ACAD_XDICTIONARY"),
                   std::string("102\n{ACAD_XDICTIONARY\n360\n30\n102\n}\n").size());
    EXPECT_EQ(again->recordBytes(br), expected);
}

TEST_F(Edits, LeftOutDictionaryIsUnnamedEvenWithoutRelease) {
    EditSet edits;
    edits.leaveOut(0x30);
    auto again = saveAndReread(edits);
    ASSERT_NE(again, nullptr);
    EXPECT_EQ(again->record(again->find(0x20)).xdict, kNoHandle);
}

TEST_F(Edits, LeftOutBlockRecordTakesItsBlockAlong) {
    EditSet edits;
    edits.leaveOut(0x20);
    auto again = saveAndReread(edits);
    ASSERT_NE(again, nullptr);
    for (Handle h : {0x20, 0x23, 0x24, 0x25, 0x26, 0x30, 0x31, 0x32}) {
        EXPECT_EQ(again->find(Handle(h)), kNoRecord) << std::hex << h;
    }
    EXPECT_EQ(again->blockRecords().size(), 1u);
    EXPECT_NE(again->find(0x40), kNoRecord);
}

TEST_F(Edits, BlkrefsEntriesAndEmptiedGroupsAreDropped) {
    EditSet one;
    one.leaveOut(0x40);
    auto again = saveAndReread(one);
    ASSERT_NE(again, nullptr);
    for (Handle h : {0x40, 0x42, 0x43}) EXPECT_EQ(again->find(Handle(h)), kNoRecord);
    EXPECT_EQ(again->blockReferences(again->find(0x20)), (std::vector<Handle>{0x41}));

    EditSet both;
    both.leaveOut(0x40);
    both.leaveOut(0x41);
    again = saveAndReread(both);
    ASSERT_NE(again, nullptr);
    EXPECT_EQ(again->recordBytes(again->find(0x20)).find("BLKREFS"), std::string_view::npos);
    EXPECT_TRUE(again->blockEntities(0).empty());
}

TEST_F(Edits, DictionaryEntriesAndReactorsOfLeftOutObjects) {
    EditSet edits;
    edits.leaveOut(0x50);
    auto again = saveAndReread(edits);
    ASSERT_NE(again, nullptr);
    auto entries = again->dictionaryEntries(again->find(0xC));
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0].key, "ACAD_GROUP");
    // The INSERT's only reactor was the XRECORD: the group goes with it.
    RecordIndex ins = again->find(0x41);
    EXPECT_TRUE(again->reactors(ins).empty());
    EXPECT_EQ(again->recordBytes(ins).find("ACAD_REACTORS"), std::string_view::npos);
    EXPECT_EQ(again->record(ins).owner, 0x1Fu);
}

TEST_F(Edits, ReactorIsTheOnlyReferenceBesidesTheOwner) {
    // Without its application data the INSERT refers to other objects only through its reactor.
    std::string text = handmade();
    const std::string xdata = "1001\nACAD\n1005\n24\n";
    ASSERT_NE(text.find(xdata), std::string::npos);
    text.erase(text.find(xdata), xdata.size());
    doc = parseOk(text);
    EditSet edits;
    edits.leaveOut(0x50);
    auto again = saveAndReread(edits);
    ASSERT_NE(again, nullptr);
    EXPECT_EQ(again->recordBytes(again->find(0x41)).find("ACAD_REACTORS"), std::string_view::npos);
}

TEST_F(Edits, LayerSwitchesKeepTheirColumns) {
    EditSet edits;
    edits.setLayerSwitches(0x11, LayerSwitches{true, true, true});
    auto again = saveAndReread(edits);
    ASSERT_NE(again, nullptr);
    const LayerInfo* walls = again->layer("Walls");
    ASSERT_NE(walls, nullptr);
    EXPECT_TRUE(walls->off());
    EXPECT_TRUE(walls->frozen());
    EXPECT_TRUE(walls->locked());
    EXPECT_EQ(walls->color, -5);
    EXPECT_NE(out.find(" 62\n    -5\n"), std::string::npos);
    EXPECT_NE(out.find(" 70\n     5\n"), std::string::npos);
    EXPECT_EQ(changed(*again), (std::set<Handle>{0x11}));

    // And back: the layer record is the bytes read again.
    auto doc2 = std::move(again);
    std::string first = out;
    EditSet back;
    back.setLayerSwitches(0x11, LayerSwitches{});
    StringSink sink;
    std::string error;
    ASSERT_TRUE(writeDocument(*doc2, back, sink, error));
    EXPECT_EQ(sink.data, handmade());
}

TEST_F(Edits, ValueAndHeaderEdits) {
    EditSet edits;
    edits.setValue(0x25, 8, "0");
    edits.setValue(0x32, 331, "25", 0);
    edits.setHeaderValue("$DWGCODEPAGE", 3, "ANSI_936");
    edits.setValue(0x25, 999, "nothing to replace");
    auto again = saveAndReread(edits);
    ASSERT_NE(again, nullptr);
    EXPECT_EQ(again->entityLayer(again->find(0x25)), "0");
    EXPECT_EQ(values(*again, 0x32, 331), (std::vector<std::string_view>{"25", "25"}));
    EXPECT_EQ(again->codePage(), "ANSI_936");
    EXPECT_EQ(changed(*again), (std::set<Handle>{0x25, 0x32}));
}

TEST_F(Edits, HandseedStaysAboveEveryHandle) {
    std::string low = handmade();
    low.replace(low.find("$HANDSEED\n  5\n100"), 17, "$HANDSEED\n  5\n20");
    auto lowDoc = parseOk(low);
    ASSERT_NE(lowDoc, nullptr);
    EditSet none;
    auto again = parseOk(writeToString(*lowDoc, none));
    ASSERT_NE(again, nullptr);
    EXPECT_EQ(again->handseed(), 0x51u);

    EditSet raise;
    raise.raiseHandseed(0x1000);
    again = parseOk(writeToString(*doc, raise));
    ASSERT_NE(again, nullptr);
    EXPECT_EQ(again->handseed(), 0x1000u);
}

TEST(GeneratedEdits, SolidifyLikeEditsLeaveAConsistentDrawing) {
    samplegen::Options o;
    o.blocks = 4;
    o.entitiesPerBlock = 15;
    o.bigBlockEntities = 1200;
    const std::string bytes = samplegen::generateDrawing(o);
    auto doc = parseOk(bytes);
    ASSERT_NE(doc, nullptr);
    EditSet edits;
    std::set<Handle> gone;
    std::size_t withXdict = 0;
    for (std::size_t s = 0; s < doc->blockRecords().size(); ++s) {
        const BlockRecordInfo& b = doc->blockRecords()[s];
        const Record& br = doc->record(b.record);
        if (br.xdict != kNoHandle) {
            ++withXdict;
            edits.releaseExtensionDictionary(br.handle);
            edits.leaveOut(br.xdict);
            for (RecordIndex i : doc->ownedClosure(doc->find(br.xdict))) gone.insert(doc->record(i).handle);
            gone.insert(br.xdict);
        }
        if (b.name == "*Model_Space" || b.name == "*Paper_Space") continue;
        for (RecordIndex e : doc->blockEntities(s)) {
            if (doc->invisible(e)) {
                edits.leaveOut(doc->record(e).handle);
                gone.insert(doc->record(e).handle);
            }
        }
    }
    ASSERT_GT(withXdict, 4u);
    auto again = parseOk(writeToString(*doc, edits));
    ASSERT_NE(again, nullptr);
    std::set<Handle> all;
    for (RecordIndex i = 0; i < again->recordCount(); ++i) {
        const Record& r = again->record(i);
        if (r.handle) all.insert(r.handle);
        EXPECT_EQ(gone.count(r.handle), 0u);
        EXPECT_EQ(r.xdict != kNoHandle && again->record(i).kind == RecordKind::TableEntry, false);
    }
    // No pointer in the written file names a left-out object.
    for (RecordIndex i = 0; i < again->recordCount(); ++i) {
        for (const Tag& t : again->tags(i)) {
            Handle h = kNoHandle;
            if (isPointerCode(t.code) && parseHandle(t.value, h) && h != kNoHandle) {
                EXPECT_EQ(gone.count(h), 0u) << "code " << t.code << " -> " << t.value;
            }
        }
    }
    for (std::size_t s = 0; s < again->blockRecords().size(); ++s) {
        if (again->blockRecords()[s].name.substr(0, 1) == "*" && again->blockRecords()[s].name.substr(0, 2) != "*U") {
            continue;
        }
        for (RecordIndex e : again->blockEntities(s)) EXPECT_FALSE(again->invisible(e));
    }
    // A second save of the edited drawing is stable.
    EditSet none;
    std::string second = writeToString(*again, none);
    EXPECT_TRUE(second == again->bytes());
}

}  // namespace
}  // namespace vrk::dxf::testing
