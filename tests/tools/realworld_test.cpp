// The main job on real drawings: round trips, the solidify command and the file conversion, checked
// record by record against the drawing they started from.
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "tests/support/drawing_diff.h"
#include "tests/support/realworld.h"
#include "tests/support/run_program.h"
#include "tests/support/temp_folder.h"

namespace vrk::test {
namespace {

#if defined(_WIN32)
const std::string kBin = "Z:" VRK_BIN_DIR;
// No shell: the programs split their command lines themselves, at double quotes.
std::string quoted(const std::string& s) { return "\"" + s + "\""; }
#else
const std::string kBin = VRK_BIN_DIR;
std::string quoted(const std::string& s) { return "'" + s + "'"; }
#endif

std::string baseName(const std::string& path) { return path.substr(path.find_last_of('/') + 1); }

// Every record that changed lost a reference to a removed object, or is one of the allowed ones.
void expectOnlyMendedChanges(const Document& before, const DrawingDiff& diff, const std::set<Handle>& allowed) {
    for (Handle h : diff.changed) {
        if (allowed.count(h)) continue;
        EXPECT_TRUE(refersToAny(before, before.find(h), diff.removed)) << "record " << std::hex << h << " changed";
    }
}

class RealWorldTest : public ::testing::TestWithParam<std::string> {
protected:
    TempFolder folder;
};

TEST_P(RealWorldTest, SavedUnchangedIsTheSameFile) {
    const std::string out = folder.file("copy.dxf");
    ProgramResult r =
        runProgram(quoted(kBin + "/vrkhost") + " " + quoted(GetParam()) + " -c " + quoted("SAVEAS " + out));
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_TRUE(fileContents(out) == fileContents(GetParam()));
}

TEST_P(RealWorldTest, SolidifyRemovesDynamicBlockDictionariesAndInvisibleBlockEntitiesOnly) {
    auto before = readDrawing(GetParam());
    ASSERT_TRUE(before);
    // The records that lose their dictionary; layouts and every other record stay as they were.
    std::set<Handle> solidified;
    for (const auto& info : before->blockRecords())
        if (!isLayoutRecord(info) && dynamicBlockDictionary(*before, info) != vrk::dxf::kNoRecord)
            solidified.insert(before->record(info.record).handle);
    const int count = static_cast<int>(solidified.size());
    const std::string expectedMessage = count == 0 ? "\nNo dynamic block need to been solidfied.\n"
                                        : count == 1
                                            ? "\n1 dynamic block has been solidfied.\n"
                                            : "\n" + std::to_string(count) + " dynamic blocks have been solidfied.\n";
    const std::set<Handle> expected = expectedRemovals(*before, true, false);

    for (const char* release : {"2004", "2008"}) {
        SCOPED_TRACE(release);
        const std::string out = folder.file(std::string("solid") + release + ".dxf");
        ProgramResult r = runProgram(quoted(kBin + "/vrkhost") + " --release " + release + " " + quoted(GetParam()) +
                                     " -c vrk -c " + quoted("SAVEAS " + out));
        ASSERT_EQ(r.status, 0) << r.err;
        EXPECT_EQ(r.out, expectedMessage);
        auto after = readDrawing(out);
        ASSERT_TRUE(after);
        const DrawingDiff diff = diffDrawings(*before, *after);
        EXPECT_EQ(diff.removed, expected);
        EXPECT_TRUE(diff.added.empty());
        expectOnlyMendedChanges(*before, diff, solidified);
        for (const auto& info : after->blockRecords()) {
            const Handle h = after->record(info.record).handle;
            if (solidified.count(h)) EXPECT_EQ(after->record(info.record).xdict, vrk::dxf::kNoHandle) << std::hex << h;
            else EXPECT_EQ(after->record(info.record).xdict, before->record(before->find(h)).xdict) << std::hex << h;
        }
    }
}

TEST_P(RealWorldTest, ConversionRemovesInvisibleBlockEntitiesAndKeepsTheRest) {
    auto before = readDrawing(GetParam());
    ASSERT_TRUE(before);
    const std::set<Handle> expected = expectedRemovals(*before, false, true);
    for (const char* release : {"2005", "2007"}) {
        SCOPED_TRACE(release);
        const std::string out = folder.file(std::string("converted") + release + ".dxf");
        ProgramResult r = runProgram(quoted(kBin + "/vrkconvert") + " --release " + release + " " + quoted(GetParam()) +
                                     " " + quoted(out));
        ASSERT_EQ(r.status, 0) << r.out << r.err;
        EXPECT_EQ(r.out, "");
        auto after = readDrawing(out);
        ASSERT_TRUE(after);
        const DrawingDiff diff = diffDrawings(*before, *after);
        EXPECT_EQ(diff.removed, expected);
        EXPECT_TRUE(diff.added.empty());
        expectOnlyMendedChanges(*before, diff, {});
    }
}

INSTANTIATE_TEST_SUITE_P(Drawings, RealWorldTest, ::testing::ValuesIn(sampleAndRealworldDrawings()),
                         [](const ::testing::TestParamInfo<std::string>& info) {
                             std::string name = baseName(info.param);
                             name = name.substr(0, name.size() - 4);
                             std::replace_if(
                                 name.begin(), name.end(), [](char c) { return !isalnum(c); }, '_');
                             return name;
                         });

// Solidified as binary or as its ASCII form, a drawing comes out the same; converting the result to
// ASCII and back gives the binary bytes again.
TEST(BinaryDrawingTest, SolidifyGivesTheSameDrawingAsItsAsciiForm) {
    const std::vector<std::string> files = realworldBinaryDrawings();
    if (files.empty())
        GTEST_SKIP() << "no binary drawings in " << realworldBinaryFolder() << " (set VRK_REALWORLD_BINARY_DIR)";
    for (const std::string& source : files) {
        SCOPED_TRACE(source);
        TempFolder folder;
        const std::string ascii = folder.file("ascii.dxf"), solidAscii = folder.file("solid-ascii.dxf"),
                          solidBinary = folder.file("solid-binary.dxf"), back = folder.file("back.dxf"),
                          again = folder.file("again.dxf");
        const std::string host = quoted(kBin + "/vrkhost") + " ";
        ASSERT_EQ(runProgram(quoted(kBin + "/vrkconvert") + " --ascii " + quoted(source) + " " + quoted(ascii)).status,
                  0);
        ASSERT_EQ(runProgram(host + quoted(ascii) + " -c vrk -c " + quoted("SAVEAS " + solidAscii)).status, 0);
        ASSERT_EQ(runProgram(host + quoted(source) + " -c vrk -c " + quoted("SAVEAS " + solidBinary)).status, 0);
        ASSERT_EQ(runProgram(host + quoted(solidAscii) + " -c " + quoted("SAVEAS " + back + " BINARY")).status, 0);
        EXPECT_TRUE(fileContents(back) == fileContents(solidBinary));
        ASSERT_EQ(runProgram(host + quoted(back) + " -c " + quoted("SAVEAS " + again + " ascii")).status, 0);
        auto a = readDrawing(again), b = readDrawing(solidAscii);
        ASSERT_TRUE(a && b);
        const DrawingDiff diff = diffDrawings(*b, *a);
        EXPECT_TRUE(diff.removed.empty() && diff.added.empty());
    }
}

// SAVEAS and vrkconvert write the encoding asked for; ASCII and back gives the binary bytes again.
TEST(BinaryDrawingTest, SaveAsAndVrkconvertTakeTheEncoding) {
    TempFolder folder;
    const std::string sample = std::string(VRK_SOURCE_DIR) + "/samples/dynblocks.dxf";
    const std::string host = quoted(kBin + "/vrkhost") + " ";
    const std::string binary = folder.file("binary.dxf"), ascii = folder.file("ascii.dxf"),
                      again = folder.file("again.dxf"), converted = folder.file("converted.dxf");
    ASSERT_EQ(runProgram(host + quoted(sample) + " -c " + quoted("SAVEAS " + binary + " binary")).status, 0);
    ASSERT_EQ(runProgram(host + quoted(binary) + " -c " + quoted("SAVEAS " + ascii + " ASCII")).status, 0);
    ASSERT_EQ(runProgram(host + quoted(ascii) + " -c " + quoted("SAVEAS " + again + " BINARY")).status, 0);
    const std::string bytes = fileContents(binary);
    EXPECT_EQ(bytes.compare(0, 18, "AutoCAD Binary DXF"), 0);
    EXPECT_NE(fileContents(ascii).compare(0, 18, "AutoCAD Binary DXF"), 0);
    EXPECT_TRUE(fileContents(again) == bytes);
    ASSERT_EQ(runProgram(quoted(kBin + "/vrkconvert") + " --binary " + quoted(sample) + " " + quoted(converted)).status,
              0);
    EXPECT_EQ(fileContents(converted).compare(0, 18, "AutoCAD Binary DXF"), 0);
}

TEST(VrkconvertTest, MissingSourceWritesNothing) {
    TempFolder folder;
    ProgramResult r = runProgram(quoted(kBin + "/vrkconvert") + " missing.dxf " + quoted(folder.file("out.dxf")));
    EXPECT_EQ(r.status, 3);
    EXPECT_EQ(r.out, "\nRuntime ERROR[30101]\n");
    EXPECT_TRUE(folder.entries().empty());
    EXPECT_EQ(runProgram(quoted(kBin + "/vrkconvert") + " only-one.dxf").status, 2);
    EXPECT_EQ(runProgram(quoted(kBin + "/vrkconvert") + " --help").status, 0);
}

}  // namespace
}  // namespace vrk::test
