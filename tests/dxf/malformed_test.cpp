// Bad input gives a clear error with a line number, never a crash.

#include "emulator/dxf/handle_index.h"
#include "handmade.h"
#include "test_support.h"

namespace vrk::dxf::testing {
namespace {

ReadError parseFails(const std::string& bytes) {
    ReadError err;
    auto doc = parseDocument(bytes, err);
    EXPECT_EQ(doc, nullptr);
    EXPECT_NE(err.status, ReadStatus::Ok);
    EXPECT_FALSE(err.reason.empty());
    return err;
}

std::string replaced(std::string s, const std::string& from, const std::string& to) {
    auto at = s.find(from);
    EXPECT_NE(at, std::string::npos) << from;
    if (at != std::string::npos) s.replace(at, from.size(), to);
    return s;
}

// 1-based line on which `needle` starts in s.
std::uint64_t lineOf(const std::string& s, const std::string& needle) {
    auto at = s.find(needle);
    return 1 + std::uint64_t(std::count(s.begin(), s.begin() + std::ptrdiff_t(at), '\n'));
}

TEST(Malformed, GroupCodes) {
    const std::string base = handmade();
    ReadError e =
        parseFails(replaced(base, "330\n20\n100\nAcDbEntity\n  8\nWalls", "3x0\n20\n100\nAcDbEntity\n  8\nWalls"));
    EXPECT_EQ(e.status, ReadStatus::Malformed);
    EXPECT_EQ(e.reason, "group code is not a number");
    EXPECT_EQ(e.line, lineOf(base, "330\n20\n100\nAcDbEntity\n  8\nWalls"));
    EXPECT_EQ(parseFails(replaced(base, " 96\n", "99999\n")).reason, "group code out of range");
    EXPECT_EQ(parseFails(replaced(base, " 96\n", "2000\n")).reason, "group code out of range");
    EXPECT_EQ(parseFails(replaced(base, " 96\n", " -1\n")).reason, "group code is not a number");
    EXPECT_EQ(parseFails(replaced(base, " 96\n", "\n")).reason, "empty group code line");
}

TEST(Malformed, Handles) {
    const std::string base = handmade();
    ReadError bad = parseFails(replaced(base, "  5\n25\n", "  5\n2G5\n"));
    EXPECT_EQ(bad.status, ReadStatus::Malformed);
    EXPECT_NE(bad.reason.find("bad handle"), std::string::npos);
    EXPECT_EQ(bad.line, lineOf(base, "  5\n25\n"));
    EXPECT_NE(parseFails(replaced(base, "  5\n25\n", "  5\n0\n")).reason.find("bad handle"), std::string::npos);
    EXPECT_NE(parseFails(replaced(base, "  5\n25\n", "  5\n11112222333344445\n")).reason.find("bad handle"),
              std::string::npos);
    ReadError dup = parseFails(replaced(base, "  5\n25\n", "  5\n24\n"));
    EXPECT_NE(dup.reason.find("duplicate handle 24"), std::string::npos) << dup.reason;
    EXPECT_NE(parseFails(replaced(base, "330\n20\n100\nAcDbEntity\n  8\nWalls", "330\nzz\n100\nAcDbEntity\n  8\nWalls"))
                  .reason.find("bad owner"),
              std::string::npos);
}

TEST(Malformed, Structure) {
    const std::string base = handmade();
    EXPECT_NE(parseFails(replaced(base, "  0\nENDSEC\n  0\nSECTION\n  2\nBLOCKS", "  0\nSECTION\n  2\nBLOCKS"))
                  .reason.find("missing ENDSEC"),
              std::string::npos);
    EXPECT_NE(parseFails(replaced(base, "  0\nENDSEC\n  0\nEOF\n", "  0\nEOF\n")).reason.find("missing ENDSEC"),
              std::string::npos);
    EXPECT_NE(parseFails(replaced(base, "  0\nEOF\n", "")).reason.find("missing 0 EOF"), std::string::npos);
    std::string noObjects = base.substr(0, base.find("  0\nSECTION\n  2\nOBJECTS")) + "  0\nEOF\n";
    EXPECT_EQ(parseFails(noObjects).reason, "missing section OBJECTS");
    EXPECT_NE(parseFails(replaced(base, "  0\nENDTAB\n  0\nTABLE\n  2\nDIMSTYLE", "  0\nTABLE\n  2\nDIMSTYLE"))
                  .reason.find("missing ENDTAB"),
              std::string::npos);
    EXPECT_NE(parseFails(replaced(base, "  0\nENDBLK\n  5\n26", "  0\nBLOCK\n  5\n26")).reason.find("missing ENDBLK"),
              std::string::npos);
    EXPECT_NE(parseFails(replaced(base, "  0\nSECTION\n  2\nCLASSES", "  0\nLINE\n  2\nCLASSES"))
                  .reason.find("outside a section"),
              std::string::npos);
    EXPECT_EQ(parseFails(replaced(base, "  2\nCLASSES", "  8\nCLASSES")).reason, "SECTION without a name");
    EXPECT_NE(parseFails(replaced(base, "  2\nCLASSES", "  2\nHEADER")).reason.find("twice"), std::string::npos);
}

// Files that are no drawing at all (a picture, a text, nothing) say so, not what their first line lacks.
TEST(Malformed, NotADrawingAtAll) {
    for (const std::string& bytes :
         {std::string("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16), std::string("hello\n"),
          std::string("Dear reader,\nthis is a letter.\n"), std::string("  0\nLINE\n"), std::string("")}) {
        ReadError e = parseFails(bytes);
        EXPECT_EQ(e.status, ReadStatus::Malformed);
        EXPECT_EQ(e.describe(), "not a DXF drawing (it does not begin with 0 SECTION)");
    }
}

TEST(Malformed, UnsupportedReleasesAndBinary) {
    const std::string base = handmade();
    ReadError r12 = parseFails(replaced(base, "AC1032", "AC1009"));
    EXPECT_EQ(r12.status, ReadStatus::Unsupported);
    EXPECT_NE(r12.reason.find("R12"), std::string::npos);
    EXPECT_EQ(parseFails(replaced(base, "AC1032", "AC1014")).status, ReadStatus::Unsupported);
    EXPECT_EQ(parseFails(replaced(base, "AC1032", "AC1040")).status, ReadStatus::Unsupported);
    EXPECT_EQ(parseFails(replaced(base, "  9\n$ACADVER\n  1\nAC1032\n", "")).status, ReadStatus::Unsupported);
    // Binary files are read (binary_test.cpp); binary R12, with one-byte group codes, is refused.
    ReadError bin = parseFails(std::string("AutoCAD Binary DXF\r\n\x1a\0", 22) + std::string("\0SECTION\0", 9));
    EXPECT_EQ(bin.status, ReadStatus::Unsupported);
    EXPECT_NE(bin.reason.find("R12"), std::string::npos);
}

TEST(Malformed, FilesThatCannotBeRead) {
    ReadError err;
    EXPECT_EQ(readDocument("/nonexistent/folder/x.dxf", err), nullptr);
    EXPECT_EQ(err.status, ReadStatus::FileNotFound);
    TempFolder folder;
    EXPECT_EQ(readDocument(folder.path(), err), nullptr);
    EXPECT_EQ(err.status, ReadStatus::CannotRead);
}

TEST(Malformed, EveryTruncationIsAnErrorOrTheWholeDrawing) {
    const std::string base = generated(2, 6);
    for (std::size_t cut = 0; cut < base.size(); cut += 7) {
        ReadError err;
        auto doc = parseDocument(base.substr(0, cut), err);
        EXPECT_EQ(doc, nullptr) << "cut at " << cut;
        EXPECT_NE(err.status, ReadStatus::Ok);
    }
    ReadError err;
    EXPECT_NE(parseDocument(base.substr(0, base.size() - 1), err), nullptr) << err.describe();
}

TEST(Malformed, MutatedBytesNeverCrash) {
    // Whatever a damaged file holds, reading it either fails cleanly or yields a document that writes
    // back unchanged and survives a leave-out of every handle it has.
    const std::string base = handmade();
    std::uint64_t state = 88172645463325252ULL;
    auto next = [&] {
        state ^= state << 13;
        state ^= state >> 7;
        state ^= state << 17;
        return state;
    };
    const char kBytes[] = "0123456789ABCDEF \r\n{}-";
    int accepted = 0;
    for (int round = 0; round < 3000; ++round) {
        std::string bytes = base;
        int edits = 1 + int(next() % 4);
        for (int k = 0; k < edits; ++k) {
            std::size_t at = next() % bytes.size();
            switch (next() % 3) {
                case 0: bytes[at] = kBytes[next() % (sizeof(kBytes) - 1)]; break;
                case 1: bytes.erase(at, 1 + next() % 8); break;
                default: bytes.insert(at, 1, kBytes[next() % (sizeof(kBytes) - 1)]); break;
            }
        }
        ReadError err;
        auto doc = parseDocument(bytes, err);
        if (!doc) {
            EXPECT_FALSE(err.reason.empty());
            continue;
        }
        ++accepted;
        EditSet none;
        // Unchanged unless the damage put a handle at or above $HANDSEED, which the writer raises.
        if (doc->handseed() > doc->maxHandle()) {
            ASSERT_TRUE(writeToString(*doc, none) == bytes);
        }
        EditSet all;
        for (RecordIndex i = 0; i < doc->recordCount(); i += 3) {
            if (doc->record(i).handle) all.leaveOut(doc->record(i).handle);
        }
        all.setLayerSwitches(0x11, LayerSwitches{true, false, true});
        std::string out = writeToString(*doc, all);
        ReadError again;
        parseDocument(out, again);  // may fail (a required record left out); must not crash
    }
    EXPECT_GT(accepted, 0);
}

// Handles chosen so that every one lands on the same slot of the handle index would make reading
// quadratic in the number of records; the index notices and scatters them.
TEST(HandleIndexTest, HandlesAimedAtOneSlotAreScatteredAndStillFound) {
    std::vector<Record> records(20000);
    for (std::size_t k = 0; k < records.size(); ++k) records[k].handle = (Handle(k + 1) << 21) | Handle(k + 1);
    HandleIndex index;
    index.reserve(records.size());
    for (RecordIndex i = 0; i < records.size(); ++i) ASSERT_EQ(index.insert(i, records), kNoRecord);
    EXPECT_TRUE(index.scattered());
    for (RecordIndex i = 0; i < records.size(); ++i) ASSERT_EQ(index.find(records[i].handle, records), i);
    EXPECT_EQ(index.find(Handle(1) << 40, records), kNoRecord);
    records.push_back(records[123]);  // the same handle again is found as a duplicate
    EXPECT_EQ(index.insert(RecordIndex(records.size() - 1), records), 123u);
}

TEST(HandleIndexTest, HandlesInSequenceKeepTheirOrder) {
    std::vector<Record> records(100000);
    for (std::size_t k = 0; k < records.size(); ++k) records[k].handle = Handle(0x20 + k);
    HandleIndex index;
    for (RecordIndex i = 0; i < records.size(); ++i) ASSERT_EQ(index.insert(i, records), kNoRecord);
    EXPECT_FALSE(index.scattered());
    for (RecordIndex i = 0; i < records.size(); i += 97) ASSERT_EQ(index.find(records[i].handle, records), i);
}

}  // namespace
}  // namespace vrk::dxf::testing
