// Text between the file's encoding and UTF-8.

#include "emulator/dxf/text_codec.h"
#include "test_support.h"

namespace vrk::dxf::testing {
namespace {

TEST(TextCodec, CodePageNames) {
    EXPECT_EQ(iconvNameForCodePage("ANSI_1252"), "CP1252");
    EXPECT_EQ(iconvNameForCodePage("ansi_1251"), "CP1251");
    EXPECT_EQ(iconvNameForCodePage("ANSI_936"), "GBK");
    EXPECT_EQ(iconvNameForCodePage("ANSI_932"), "CP932");
    EXPECT_EQ(iconvNameForCodePage("DOS850"), "CP850");
    EXPECT_EQ(iconvNameForCodePage(""), "CP1252");
    EXPECT_EQ(iconvNameForCodePage("NO_SUCH_PAGE"), "CP1252");
}

TEST(TextCodec, AnsiCodePageWithEscapes) {
    TextCodec cp(false, "CP1252");
    EXPECT_EQ(cp.decode("T\xFCr 7"), "Tür 7");
    EXPECT_EQ(cp.decode("\\U+4E2D\\U+6587"), "中文");
    EXPECT_EQ(cp.decode("a\\U+D83D\\U+DE00b"), "a😀b");
    EXPECT_EQ(cp.decode("\\M+5D6D0"), "中");
    EXPECT_EQ(cp.decode("\\U+12"), "\\U+12");  // too short: kept as written
    EXPECT_EQ(cp.encode("Tür 中"), "T\xFCr \\U+4E2D");
    EXPECT_EQ(cp.encode("😀"), "\\U+D83D\\U+DE00");
    for (const char* s : {"plain", "Tür", "中文 und Tür", "\\U+0041 stays"}) {
        EXPECT_EQ(cp.decode(cp.encode(s)), std::string(s) == "\\U+0041 stays" ? "A stays" : s);
    }
    std::string out;
    EXPECT_FALSE(cp.encode("bad \xC3", out));
}

TEST(TextCodec, ChineseCodePage) {
    TextCodec gbk(false, iconvNameForCodePage("ANSI_936"));
    EXPECT_EQ(gbk.encode("中文"), "\xD6\xD0\xCE\xC4");
    EXPECT_EQ(gbk.decode("\xD6\xD0\xCE\xC4"), "中文");
    EXPECT_EQ(gbk.encode("Ü"), "\\U+00DC");
}

TEST(TextCodec, Utf8Drawings) {
    TextCodec u(true, "UTF-8");
    EXPECT_EQ(u.decode("Tür"), "Tür");
    EXPECT_EQ(u.encode("Tür"), "Tür");
    EXPECT_EQ(u.decode("\\U+00FC"), "ü");
    std::string out;
    EXPECT_FALSE(u.decode("\xFF", out));
    EXPECT_EQ(out, "\xEF\xBF\xBD");
}

TEST(TextCodec, ForRealDrawings) {
    VRK_REALWORLD_DRAWING(floorplan, "skymakerolof-dxf__floorplan.dxf");
    VRK_REALWORLD_DRAWING(featureSample, "acadsharp__sample_AC1018_ascii.dxf");
    ReadError err;
    auto old = readDocument(floorplan, err);
    ASSERT_NE(old, nullptr) << err.describe();
    TextCodec codec = TextCodec::forDocument(*old);
    EXPECT_FALSE(codec.utf8());
    EXPECT_EQ(codec.codePage(), "CP1252");
    // Every text value of the cp1252 file decodes, and encodes back to the bytes read.
    std::size_t checked = 0;
    for (RecordIndex i = 0; i < old->recordCount(); ++i) {
        for (const Tag& t : old->tags(i)) {
            if (t.code != 1 && t.code != 2 && t.code != 3 && t.code != 8) continue;
            std::string utf8;
            ASSERT_TRUE(codec.decode(t.value, utf8)) << t.value;
            if (t.value.find("\\U+") == std::string_view::npos) {
                EXPECT_EQ(codec.encode(utf8), t.value);
            }
            ++checked;
        }
    }
    EXPECT_GT(checked, 100u);

    auto sample = readDocument(featureSample, err);
    ASSERT_NE(sample, nullptr) << err.describe();
    TextCodec sc = TextCodec::forDocument(*sample);
    bool sawEscape = false;
    for (RecordIndex i = 0; i < sample->recordCount() && !sawEscape; ++i) {
        for (const Tag& t : sample->tags(i)) {
            if (t.value.find("\\U+") == std::string_view::npos) continue;
            std::string utf8 = sc.decode(t.value);
            EXPECT_EQ(utf8.find("\\U+"), std::string::npos) << t.value;
            sawEscape = true;
        }
    }
    EXPECT_TRUE(sawEscape);
}

}  // namespace
}  // namespace vrk::dxf::testing
