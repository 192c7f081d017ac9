// A drawing written without edits is the file it was read from, byte for byte.

#include "handmade.h"
#include "test_support.h"

namespace vrk::dxf::testing {
namespace {

void expectRoundTrip(const std::string& bytes) {
    auto doc = parseOk(bytes);
    ASSERT_NE(doc, nullptr);
    EditSet none;
    std::string out = writeToString(*doc, none);
    ASSERT_EQ(out.size(), bytes.size());
    EXPECT_TRUE(out == bytes);
    // Records tile the file: prefix, records, trailer.
    std::string joined(doc->bytes().substr(0, doc->prefixEnd()));
    for (RecordIndex i = 0; i < doc->recordCount(); ++i) joined += doc->recordBytes(i);
    joined += doc->bytes().substr(doc->trailerBegin());
    EXPECT_TRUE(joined == bytes);
}

std::string toCrlf(const std::string& s) {
    std::string out;
    for (char c : s) {
        if (c == '\n') out += '\r';
        out += c;
    }
    return out;
}

TEST(RoundTrip, RealworldDrawingsByteForByte) {
    auto files = realworldFiles();
    if (files.empty()) GTEST_SKIP() << vrk::test::noRealworldDrawing();
    ASSERT_GE(files.size(), 7u);
    for (const std::string& f : files) {
        SCOPED_TRACE(f);
        std::string bytes = fileContents(f);
        ReadError err;
        auto doc = readDocument(f, err);
        ASSERT_NE(doc, nullptr) << err.describe();
        EditSet none;
        std::string out = writeToString(*doc, none);
        EXPECT_EQ(out.size(), bytes.size());
        EXPECT_TRUE(out == bytes);
    }
}

TEST(RoundTrip, RealworldDrawingsThroughTheIndexedWriter) {
    // A harmless edit forces the record-by-record path; everything else must still match.
    if (realworldFiles().empty()) GTEST_SKIP() << vrk::test::noRealworldDrawing();
    for (const std::string& f : realworldFiles()) {
        SCOPED_TRACE(f);
        std::string bytes = fileContents(f);
        auto doc = parseOk(bytes);
        ASSERT_NE(doc, nullptr);
        EditSet edits;
        edits.leaveOut(0xFFFFFFFFFFFFFFF0ULL);  // no such object
        edits.setHeaderValue("$ACADVER", 1, std::string(doc->acadVersion()));
        EXPECT_TRUE(writeToString(*doc, edits) == bytes);
    }
}

TEST(RoundTrip, GeneratedDrawings) {
    expectRoundTrip(generated());
    expectRoundTrip(generated(1, 0));
    expectRoundTrip(generated(2, 30, 1500));
    samplegen::Options o;
    o.firstHandle = 0x7FFFFFFF00000000ULL;
    o.representations = 3;
    o.referencesPerRep = 1;
    expectRoundTrip(samplegen::generateDrawing(o));
}

TEST(RoundTrip, LineEndsAndEdgesOfTheFile) {
    const std::string base = handmade();
    expectRoundTrip(base);
    expectRoundTrip(toCrlf(base));
    expectRoundTrip(base.substr(0, base.size() - 1));  // no line end after EOF
    expectRoundTrip(base + "trailing junk\n");         // bytes after EOF are kept
    expectRoundTrip("\xEF\xBB\xBF" + base);            // byte order mark
    expectRoundTrip("999\nmade by hand\n" + base);     // comment before the first section
    auto doc = parseOk(toCrlf(base));
    ASSERT_NE(doc, nullptr);
    EXPECT_TRUE(doc->crlf());
    EXPECT_EQ(doc->value(doc->find(0x25), 8), "Walls");  // values never carry the CR
}

TEST(RoundTrip, SampleInSamplesFolder) {
    std::string bytes = fileContents(VRK_SAMPLES_DIR "/dynblocks.dxf");
    ASSERT_FALSE(bytes.empty());
    expectRoundTrip(bytes);
}

}  // namespace
}  // namespace vrk::dxf::testing
