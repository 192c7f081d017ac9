#include "tests/win/win_fixture.h"

namespace {

const unsigned char* u(const char* s) { return reinterpret_cast<const unsigned char*>(s); }

using MbcsTest = WinTest;

TEST_F(MbcsTest, UpperCasesWholeCharactersOfTheAnsiCodePage) {
    EXPECT_EQ(_mbctoupper('a'), static_cast<unsigned>('A'));
    EXPECT_EQ(_mbctoupper(0xE9), 0xC9u);  // e-acute in 1252
    vrk::win::setSystemLcid(2052);
    EXPECT_EQ(_mbctoupper(0xE9), 0xE9u);      // a lead byte alone is no character
    EXPECT_EQ(_mbctoupper(0x8161), 0x8161u);  // trail byte 'a', but no letter
    EXPECT_EQ(_mbctoupper(0xA3E1), 0xA3C1u);  // full-width a
}

TEST_F(MbcsTest, LeadBytesAreThoseOfTheAnsiCodePage) {
    EXPECT_EQ(_ismbblead(0xB4), 0);  // 1252 has none
    vrk::win::setSystemLcid(2052);
    EXPECT_NE(_ismbblead(0xB4), 0);
    EXPECT_EQ(_ismbblead('A'), 0);
    EXPECT_EQ(_ismbblead(0xFF), 0);
    EXPECT_EQ(_ismbblead(0x81B4), 0);  // not a byte
}

TEST_F(MbcsTest, CaseBlindCompareGoesByCharacters) {
    EXPECT_EQ(_mbsicmp(u("*Model_Space"), u("*MODEL_SPACE")), 0);
    EXPECT_LT(_mbsicmp(u("abc"), u("ABD")), 0);
    EXPECT_GT(_mbsicmp(u("abcd"), u("ABC")), 0);
    vrk::win::setSystemLcid(2052);
    // 0x81 0x61 and 0x81 0x41 are two characters, not one with its trail byte in two cases.
    EXPECT_NE(_mbsicmp(u("\x81\x61"), u("\x81\x41")), 0);
    EXPECT_EQ(_mbsicmp(u("layer\xD6\xD0"), u("LAYER\xD6\xD0")), 0);
    vrk::win::setSystemLcid(1028);
    EXPECT_NE(_mbsicmp(u("\xA4\x61"), u("\xA4\x41")), 0);
    EXPECT_EQ(_wcsicmp(L"*Paper_Space", L"*PAPER_SPACE"), 0);
}

TEST_F(MbcsTest, SubstringSearchStartsOnlyAtCharacters) {
    const unsigned char* text =
        u("x\x81\x41"
          "A");
    vrk::win::setSystemLcid(2052);
    EXPECT_EQ(_mbsstr(text, u("A")), text + 3);
    EXPECT_EQ(_mbsstr(text, u("\x81\x41")), text + 1);
    EXPECT_EQ(_mbsstr(text, u("")), text);
    vrk::win::setSystemLcid(1033);
    EXPECT_EQ(_mbsstr(text, u("A")), text + 2);
}

}  // namespace
