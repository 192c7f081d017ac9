#include "emulator/text.h"
#include "routines/layer_filter_prompt.h"
#include "tests/routines/routine_fixture.h"

namespace vrk::test {
namespace {

const std::string kPrompt = "Enter layer (* for all) or [?]: ";

class LayerFilterPromptTest : public RoutineTest {
protected:
    void SetUp() override {
        RoutineTest::SetUp();
        walls = builder->addLayer("Walls");
        doors = builder->addLayer("Doors");
    }

    int run(std::initializer_list<std::string> lines) {
        for (const std::string& line : lines) vrk::emu::queueInput(line);
        return PromptLayerFilter(db(), &filter);
    }

    std::vector<std::string> names() const {
        std::vector<std::string> out;
        for (int i = 0; i < filter.layerCount(); ++i) {
            const ACHAR* pName = nullptr;
            EXPECT_EQ(filter.getAt(i, pName), Acad::eOk);
            out.push_back(vrk::emu::fromHost(pName));
        }
        return out;
    }

    AcDbLayerFilter filter;
    AcDbObjectId walls, doors;
};

using Names = std::vector<std::string>;

TEST_F(LayerFilterPromptTest, QuestionMarkListsEveryLayerUnderAHeadingAndPromptsAgain) {
    EXPECT_EQ(run({"?", "?Walls", ""}), 1);
    const std::string listing = "Layers:\n  0\n  Walls\n  Doors\n";
    EXPECT_EQ(transcript(), kPrompt + listing + kPrompt + listing + kPrompt);
    EXPECT_TRUE(names().empty());
}

TEST_F(LayerFilterPromptTest, NamesMatchIgnoringCaseAndAreAddedAsStored) {
    EXPECT_EQ(run({"wALLS", "doors", ""}), 1);
    EXPECT_EQ(transcript(),
              kPrompt + "Layer Walls added to filter.\n" + kPrompt + "Layer Doors added to filter.\n" + kPrompt);
    EXPECT_EQ(names(), (Names{"Walls", "Doors"}));
}

TEST_F(LayerFilterPromptTest, OnlyTheWholeNameMatches) {
    builder->addLayer("Walls2");
    EXPECT_EQ(run({"Walls ", "Wall", " Walls", "Walls", ""}), 1);
    const std::string notFound = "Layer not found.\n";
    EXPECT_EQ(transcript(), kPrompt + notFound + kPrompt + notFound + kPrompt + notFound + kPrompt +
                                "Layer Walls added to filter.\n" + kPrompt);
    EXPECT_EQ(names(), (Names{"Walls"}));
}

// The prompt lets the input hold spaces: a space does not end it as Enter does.
TEST_F(LayerFilterPromptTest, LayerNameWithSpacesIsTakenWhole) {
    builder->addLayer("Outer Walls");
    EXPECT_EQ(run({"outer walls", ""}), 1);
    EXPECT_EQ(transcript(), kPrompt + "Layer Outer Walls added to filter.\n" + kPrompt);
    EXPECT_EQ(names(), (Names{"Outer Walls"}));
}

// The host's side of it: with cronly 0 a space ends the input, and the rest is the next input.
TEST_F(LayerFilterPromptTest, HostEndsInputAtASpaceOnlyWithoutCronly) {
    const struct {
        int cronly;
        std::vector<std::string> inputs;
    } cases[] = {{0, {"Outer", "Walls", "", "next"}}, {1, {"Outer Walls ", "next"}}};
    for (const auto& c : cases) {
        vrk::emu::queueInput("Outer Walls ");
        vrk::emu::queueInput("next");
        for (const std::string& expected : c.inputs) {
            ACHAR string[133];
            ASSERT_EQ(acedGetString(c.cronly, ACRX_T("? "), string), RTNORM);
            EXPECT_EQ(vrk::emu::fromHost(string), expected) << "cronly " << c.cronly;
        }
    }
}

// The host shows a prompt on a line of its own: after a message that did not end its line, the
// prompt starts a new one; after an input (ended by Enter) it does not.
TEST_F(LayerFilterPromptTest, HostPromptStartsOnALineOfItsOwn) {
    acutPrintf(ACRX_T("\n%d dynamic blocks have been solidfied."), 4);
    EXPECT_EQ(run({"Walls", ""}), 1);
    EXPECT_EQ(transcript(),
              "\n4 dynamic blocks have been solidfied.\n" + kPrompt + "Layer Walls added to filter.\n" + kPrompt);
}

TEST_F(LayerFilterPromptTest, StarLeavesAtOnceWithZero) {
    EXPECT_EQ(run({"Walls", "*Doors", "Doors"}), 0);
    EXPECT_EQ(transcript(), kPrompt + "Layer Walls added to filter.\n" + kPrompt);
    EXPECT_EQ(names(), (Names{"Walls"}));
}

TEST_F(LayerFilterPromptTest, CancelledPromptGivesThreeAndKeepsEarlierNames) {
    EXPECT_EQ(run({"Doors"}), 3);  // the input ends after one line, as a cancel does
    EXPECT_EQ(names(), (Names{"Doors"}));
    hostCalls().addFault(vrk::emu::FaultRule{"acedGetString", 0, 0, true, RTERROR});
    EXPECT_EQ(run({"Walls", ""}), 3);
    EXPECT_EQ(names(), (Names{"Doors"}));
}

TEST_F(LayerFilterPromptTest, NothingToOfferReturnsWithoutPrompting) {
    EXPECT_EQ(PromptLayerFilter(nullptr, &filter), 0);
    for (AcDbObjectId id : {builder->layerZero(), walls, doors}) vrk::emu::DrawingBuilder::setErased(id, true);
    EXPECT_EQ(run({"Walls"}), 1);
    EXPECT_EQ(transcript(), "");
}

TEST_F(LayerFilterPromptTest, ChineseNamesCompareByCharacters) {
    vrk::win::setSystemLcid(2052);
#if !defined(UNICODE)
    if (GetACP() != 936) GTEST_SKIP() << "the system locale cannot be set here";
#endif
    // In code page 936 these differ only in a trail byte, 'a' against 'A'.
    builder->addLayer("\xE4\xB9\xA4");  // 0x81 0x61
    builder->addLayer("\xE4\xB8\x84");  // 0x81 0x41
    builder->addLayer("图层A");
    EXPECT_EQ(run({"\xE4\xB9\xA4", "图层a", "门窗", ""}), 1);
    EXPECT_EQ(names(), (Names{"\xE4\xB9\xA4", "图层A"}));
    EXPECT_EQ(transcript(), kPrompt + "Layer \xE4\xB9\xA4 added to filter.\n" + kPrompt +
                                "Layer 图层A added to filter.\n" + kPrompt + "Layer not found.\n" + kPrompt);
}

TEST_F(LayerFilterPromptTest, FullLengthInputIsTakenWhole) {
    const std::string name(132, 'W');
    builder->addLayer(name);
    EXPECT_EQ(run({std::string(132, 'w'), ""}), 1);
    EXPECT_EQ(names(), (Names{name}));
}

// Fails host call 1, 2, 3 ... until a run completes.  A run returns 0 only when the layers could not
// be walked, 3 only when a prompt failed, never prints a message for a failure and never adds a
// name that was not asked for.
class LayerFilterPromptSweep : public LayerFilterPromptTest {
protected:
    static int prompts(const std::string& out) {
        int count = 0;
        for (size_t at = out.find(kPrompt); at != std::string::npos; at = out.find(kPrompt, at + 1)) ++count;
        return count;
    }
    void sweep(bool once) {
        for (long n = 1;; ++n) {
            SCOPED_TRACE("failing call " + std::to_string(n));
            newDrawing();
            builder->addLayer("Walls");
            builder->addLayer("Doors");
            AcDbLayerFilter runFilter;
            armFault(n, once);
            for (const char* line : {"?", "walls", "Nothing", "DOORS", ""}) vrk::emu::queueInput(line);
            const int result = PromptLayerFilter(db(), &runFilter);
            const bool faulted = hostCalls().faultsFired() > 0;
            disarm();
            expectNothingHeld();
            const std::string& out = vrk::emu::transcript();
            for (int i = 0; i < runFilter.layerCount(); ++i) {
                const ACHAR* pName = nullptr;
                ASSERT_EQ(runFilter.getAt(i, pName), Acad::eOk);
                const std::string name = vrk::emu::fromHost(pName);
                EXPECT_TRUE(name == "Walls" || name == "Doors") << name;
                EXPECT_NE(out.find("Layer " + name + " added to filter.\n"), std::string::npos);
            }
            switch (result) {
                case 0:
                    EXPECT_TRUE(failedAny({"AcDbDatabase::getSymbolTable", "AcDbLayerTable::newIterator"}));
                    EXPECT_EQ(out, "");
                    break;
                case 1:
                    // Either no layer was gathered, or every line was answered.
                    EXPECT_TRUE(prompts(out) == 0 || prompts(out) == 5) << out;
                    break;
                case 3: EXPECT_TRUE(failed("acedGetString")); break;
                default: ADD_FAILURE() << "result " << result;
            }
            if (!faulted) {
                EXPECT_EQ(result, 1);
                EXPECT_EQ(out, kPrompt + "Layers:\n  0\n  Walls\n  Doors\n" + kPrompt +
                                   "Layer Walls added to filter.\n" + kPrompt + "Layer not found.\n" + kPrompt +
                                   "Layer Doors added to filter.\n" + kPrompt);
                EXPECT_EQ(runFilter.layerCount(), 2);
                break;
            }
            ASSERT_LT(n, 10000);
        }
    }
};

TEST_F(LayerFilterPromptSweep, FailingOnce) { sweep(true); }
TEST_F(LayerFilterPromptSweep, FailingFromThenOn) { sweep(false); }

}  // namespace
}  // namespace vrk::test
