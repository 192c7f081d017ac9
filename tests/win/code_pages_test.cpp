#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <string>

#include "tests/win/win_fixture.h"

namespace {

using LocaleTest = WinTest;

TEST_F(LocaleTest, LcidFollowsFirstNonEmptyLocaleVariableUnlessOverridden) {
    const std::string saved[] = {getenv("LC_ALL") ? getenv("LC_ALL") : "", getenv("LC_CTYPE") ? getenv("LC_CTYPE") : "",
                                 getenv("LANG") ? getenv("LANG") : ""};
    vrk::win::clearSystemLcid();
    setenv("LC_ALL", "zh_CN.UTF-8", 1);
    setenv("LC_CTYPE", "zh_TW.UTF-8", 1);
    setenv("LANG", "zh_HK", 1);
    EXPECT_EQ(GetSystemDefaultLCID(), 2052u);
    setenv("LC_ALL", "", 1);
    EXPECT_EQ(GetSystemDefaultLCID(), 1028u);
    unsetenv("LC_CTYPE");
    EXPECT_EQ(GetSystemDefaultLCID(), 3076u);
    setenv("LANG", "zh_MO.Big5@stroke", 1);
    EXPECT_EQ(GetSystemDefaultLCID(), 5124u);
    setenv("LANG", "zh_CNX", 1);
    EXPECT_EQ(GetSystemDefaultLCID(), 1033u);
    // Other languages by the language alone, as far as the code page follows from it.
    setenv("LANG", "ja_JP.UTF-8", 1);
    EXPECT_EQ(GetACP(), 932u);
    setenv("LANG", "ko_KR.UTF-8", 1);
    EXPECT_EQ(GetACP(), 949u);
    setenv("LANG", "uk_UA.UTF-8", 1);
    EXPECT_EQ(GetACP(), 1251u);
    setenv("LANG", "de_DE.UTF-8", 1);
    EXPECT_EQ(GetACP(), 1252u);
    vrk::win::setSystemLcid(4100);
    EXPECT_EQ(GetSystemDefaultLCID(), 4100u);
    const char* names[] = {"LC_ALL", "LC_CTYPE", "LANG"};
    for (int i = 0; i < 3; ++i) setenv(names[i], saved[i].c_str(), 1);
}

TEST_F(LocaleTest, CodePagesFollowLcid) {
    const struct {
        LCID lcid;
        UINT ansi, oem;
    } cases[] = {{1033, 1252, 437}, {1031, 1252, 437}, {2052, 936, 936}, {4100, 936, 936},
                 {1028, 950, 950},  {3076, 950, 950},  {5124, 950, 950}, {1041, 932, 932},
                 {1042, 949, 949},  {1049, 1251, 866}, {3098, 1251, 855}};
    for (const auto& c : cases) {
        vrk::win::setSystemLcid(c.lcid);
        EXPECT_EQ(GetACP(), c.ansi) << c.lcid;
        EXPECT_EQ(GetOEMCP(), c.oem) << c.lcid;
    }
}

using ConversionTest = WinTest;

TEST_F(ConversionTest, SizesAndBuffersFollowWindowsContracts) {
    wchar_t wide[8];
    wmemset(wide, L'#', 8);
    EXPECT_EQ(MultiByteToWideChar(CP_ACP, 0, "abc", -1, nullptr, 0), 4);
    EXPECT_EQ(MultiByteToWideChar(CP_ACP, 0, "a\0bc", 3, wide, 8), 3);  // explicit length: no terminator
    EXPECT_EQ(std::wstring(wide, 4), std::wstring(L"a\0b#", 4));
    SetLastError(0);
    EXPECT_EQ(MultiByteToWideChar(CP_ACP, 0, "abc", -1, wide, 3), 0);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));

    char narrow[8];
    EXPECT_EQ(WideCharToMultiByte(CP_ACP, 0, L"abc", -1, nullptr, 0, nullptr, nullptr), 4);
    EXPECT_EQ(WideCharToMultiByte(CP_ACP, 0, L"abc", -1, narrow, 3, nullptr, nullptr), 0);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
}

TEST_F(ConversionTest, BadArgumentsFailWithInvalidParameter) {
    wchar_t out[4];
    const struct {
        UINT codePage;
        const char* source;
        int length;
        wchar_t* dest;
        int capacity;
    } cases[] = {{CP_ACP, nullptr, -1, nullptr, 0}, {CP_ACP, "a", 0, out, 4},   {CP_ACP, "a", -2, out, 4},
                 {CP_ACP, "a", -1, nullptr, 4},     {CP_ACP, "a", -1, out, -1}, {12345, "a", -1, out, 4}};
    for (const auto& c : cases) {
        SetLastError(0);
        EXPECT_EQ(MultiByteToWideChar(c.codePage, 0, c.source, c.length, c.dest, c.capacity), 0);
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
    }
    SetLastError(0);
    EXPECT_EQ(WideCharToMultiByte(CP_ACP, 0, nullptr, -1, nullptr, 0, nullptr, nullptr), 0);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
    char narrow[4];
    EXPECT_EQ(WideCharToMultiByte(CP_UTF8, 0, L"a", -1, narrow, 4, "?", nullptr), 0);  // UTF-8 has no default
}

TEST_F(ConversionTest, AnsiAndOemCodePagesFollowTheLocale) {
    const struct {
        LCID lcid;
        UINT codePage;
        const char* bytes;
        const wchar_t* text;
    } cases[] = {
        {1033, CP_ACP, "\xE9\x80", L"\u00E9\u20AC"},
        {1033, CP_OEMCP, "\xE9\x82", L"\u0398\u00E9"},
        {2052, CP_ACP, "\xD6\xD0\xCE\xC4", L"\u4E2D\u6587"},
        {2052, CP_OEMCP, "\xD6\xD0", L"\u4E2D"},
        {1028, CP_ACP, "\xA4\xA4\xA4\xE5", L"\u4E2D\u6587"},
        {1028, CP_OEMCP, "\xA4\xA4", L"\u4E2D"},
        {1033, CP_UTF8, "\xE4\xB8\xAD\xF0\x9F\x98\x80", L"\u4E2D\U0001F600"},
    };
    for (const auto& c : cases) {
        vrk::win::setSystemLcid(c.lcid);
        wchar_t wide[8];
        char narrow[16];
        EXPECT_EQ(MultiByteToWideChar(c.codePage, 0, c.bytes, -1, wide, 8), static_cast<int>(wcslen(c.text) + 1));
        EXPECT_STREQ(wide, c.text) << c.lcid << "/" << c.codePage;
        EXPECT_EQ(WideCharToMultiByte(c.codePage, 0, c.text, -1, narrow, 16, nullptr, nullptr),
                  static_cast<int>(strlen(c.bytes) + 1));
        EXPECT_STREQ(narrow, c.bytes) << c.lcid << "/" << c.codePage;
    }
}

TEST_F(ConversionTest, WhatCannotBeConvertedIsReplaced) {
    char narrow[8];
    BOOL usedDefault = FALSE;
    EXPECT_EQ(WideCharToMultiByte(CP_ACP, 0, L"a\u4E2Db", -1, narrow, 8, nullptr, &usedDefault), 4);
    EXPECT_STREQ(narrow, "a?b");
    EXPECT_TRUE(usedDefault);
    EXPECT_EQ(WideCharToMultiByte(CP_ACP, 0, L"a\u4E2D", -1, narrow, 8, "*", &usedDefault), 3);
    EXPECT_STREQ(narrow, "a*");

    wchar_t wide[4];
    EXPECT_EQ(MultiByteToWideChar(CP_UTF8, 0, "a\xFF", -1, wide, 4), 3);
    EXPECT_STREQ(wide, L"a\uFFFD");
    EXPECT_EQ(MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, "a\xFF", -1, wide, 4), 0);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NO_UNICODE_TRANSLATION));
    // A lead byte without its trail byte does not swallow the terminator.
    EXPECT_EQ(MultiByteToWideChar(936, 0, "\xD6", -1, wide, 4), 2);
}

}  // namespace
