#include <clocale>
#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <string>

#include "tests/util/util_test_support.h"
#include "util/text_conversion.h"

namespace {

// One character of the ANSI code page beyond ASCII, as bytes and as the wide character it stands for.
struct Sample {
    const char* ansi;
    wchar_t wide;
};
Sample AnsiSample(UINT codePage) {
    switch (codePage) {
        case 936: return {"\xD6\xD0", 0x4E2D};
        case 950: return {"\xA4\xA4", 0x4E2D};
        default: return {"\xE9", 0x00E9};
    }
}

class TextConversionTest : public ::testing::Test {
protected:
    void TearDown() override { RestoreLocale(); }
};

// --- fixed-size conversions -----------------------------------------------------------------------

TEST_F(TextConversionTest, AnsiToWideConvertsAtMostOneCharacter) {
    wchar_t dest[3] = {L'#', L'#', L'#'};
    EXPECT_EQ(AnsiToWide("A", dest), 1);
    EXPECT_EQ(dest[0], L'A');
    EXPECT_EQ(dest[1], L'\0');

    wchar_t untouched[3] = {L'#', L'#', L'#'};
    EXPECT_EQ(AnsiToWide("AB", untouched), 0);
    EXPECT_EQ(untouched[0], L'#');

    wchar_t empty[3] = {L'#', L'#', L'#'};
    EXPECT_EQ(AnsiToWide("", empty), 1);
    EXPECT_EQ(empty[0], L'\0');
    EXPECT_EQ(empty[1], L'#');

    // A failed size query is a failure, not a success with nothing written.
    EXPECT_EQ(AnsiToWide(NULL, untouched), 0);
    EXPECT_EQ(untouched[0], L'#');
}

TEST_F(TextConversionTest, AnsiToWideUsesTheAnsiCodePage) {
    for (LCID lcid : LocalesToTry()) {
        SelectLocale(lcid);
        const Sample sample = AnsiSample(GetACP());
        wchar_t dest[2] = {L'#', L'#'};
        EXPECT_EQ(AnsiToWide(sample.ansi, dest), 1) << lcid;
        EXPECT_EQ(dest[0], sample.wide) << lcid;
        EXPECT_EQ(dest[1], L'\0') << lcid;
    }
}

TEST_F(TextConversionTest, WideToOemConvertsAtMostThreeBytes) {
    char dest[5] = "####";
    EXPECT_EQ(WideToOem(L"abc", dest), 1);
    EXPECT_EQ(std::string(dest, 5), std::string("abc\0\0", 5));

    char untouched[5] = "####";
    EXPECT_EQ(WideToOem(L"abcd", untouched), 0);
    EXPECT_STREQ(untouched, "####");
    EXPECT_EQ(WideToOem(NULL, untouched), 0);
    EXPECT_STREQ(untouched, "####");
}

TEST_F(TextConversionTest, WideToOemUsesTheOemCodePage) {
    for (LCID lcid : LocalesToTry()) {
        SelectLocale(lcid);
        char dest[5] = "####";
        switch (GetOEMCP()) {
            case 437:
                // e-acute is 0x82 in the OEM code page, 0xE9 in the ANSI one.
                EXPECT_EQ(WideToOem(L"\u00E9", dest), 1);
                EXPECT_STREQ(dest, "\x82");
                break;
            case 936:
                EXPECT_EQ(WideToOem(L"\u4E2D", dest), 1);
                EXPECT_STREQ(dest, "\xD6\xD0");
                EXPECT_EQ(WideToOem(L"\u4E2D\u6587", dest), 0);
                break;
            case 950:
                EXPECT_EQ(WideToOem(L"\u4E2D", dest), 1);
                EXPECT_STREQ(dest, "\xA4\xA4");
                break;
            default: ADD_FAILURE() << "no sample for OEM code page " << GetOEMCP();
        }
    }
}

// --- build-dependent conversions ------------------------------------------------------------------

TEST_F(TextConversionTest, NullStaysNull) {
    EXPECT_EQ(TextToNarrow(NULL), nullptr);
    EXPECT_EQ(NarrowToText(NULL), nullptr);
    EXPECT_EQ(DuplicateTextAsNarrow(NULL), nullptr);
    EXPECT_EQ(DuplicateNarrowAsText(NULL), nullptr);
}

#ifdef UNICODE

TEST_F(TextConversionTest, WideBuildConvertsIntoTerminatedNewBlocks) {
    char* narrow = TextToNarrow(L"layer 0");
    EXPECT_STREQ(narrow, "layer 0");
    free(narrow);
    wchar_t* wide = NarrowToText("layer 0");
    EXPECT_STREQ(wide, L"layer 0");
    free(wide);
    wide = NarrowToText("a\xFF");  // may not convert in the "C" locale
    EXPECT_LE(wcslen(wide), 2u);
    free(wide);

    // Not expressible in the "C" locale: the conversion fails.
    char* failed = TextToNarrow(L"x\u4E2D");
    EXPECT_LE(strlen(failed), 3u);
    free(failed);

    if (!setlocale(LC_CTYPE, "C.UTF-8")) GTEST_SKIP() << "no UTF-8 locale";
    // Each character needs 3 or 4 bytes, more than the 2 per character allowed.
    char* cut = TextToNarrow(L"\u4E2D\u6587");
    char* nothing = TextToNarrow(L"\U0001F600");
    setlocale(LC_CTYPE, "C");
    EXPECT_STREQ(cut, "\xE4\xB8\xAD");
    EXPECT_STREQ(nothing, "");
    free(cut);
    free(nothing);
}

#else

TEST_F(TextConversionTest, NarrowBuildReturnsTheArgumentItself) {
    char text[] = "layer 0";
    EXPECT_EQ(TextToNarrow(text), text);
    EXPECT_EQ(NarrowToText(text), text);
}

#endif

TEST_F(TextConversionTest, DuplicatesAreNewBlocksOwnedByTheCaller) {
    const TCHAR text[] = _T("layer 0");
    char* narrow = DuplicateTextAsNarrow(text);
    ASSERT_NE(narrow, nullptr);
    EXPECT_NE(static_cast<const void*>(narrow), static_cast<const void*>(text));
    EXPECT_STREQ(narrow, "layer 0");
    free(narrow);

    const char source[] = "layer 1";
    TCHAR* copy = DuplicateNarrowAsText(source);
    ASSERT_NE(copy, nullptr);
    EXPECT_NE(static_cast<const void*>(copy), static_cast<const void*>(source));
    EXPECT_EQ(tstring(copy), _T("layer 1"));
    free(copy);
}

}  // namespace
