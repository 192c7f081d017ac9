#include <cstring>
#include <random>
#include <vector>

#include "tests/util/util_test_support.h"
#include "util/registry_helpers.h"

namespace {

// Each test works under a subkey of its own, so runs against a real registry do not meet.
class RegistryHelpersTest : public ::testing::Test {
protected:
    void SetUp() override {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        mBase =
            T(std::string("Software\\VarnikelTest\\") + info->name() + "." + std::to_string(std::random_device{}()));
        mOpenBefore = OpenKeys();
    }
    void TearDown() override {
        AllowRegistryWrites();
        EXPECT_EQ(OpenKeys(), mOpenBefore) << "a registry key was left open";
    }

    tstring path(const char* sub = nullptr) const { return sub ? mBase + T("\\") + T(sub) : mBase; }

    bool keyExists(const tstring& subKey) {
        HKEY hKey;
        if (RegOpenKeyEx(HKEY_CURRENT_USER, subKey.c_str(), 0, KEY_QUERY_VALUE, &hKey) != ERROR_SUCCESS) return false;
        RegCloseKey(hKey);
        return true;
    }

    void store(const TCHAR* name, DWORD type, const void* data, DWORD size) {
        HKEY hKey;
        ASSERT_EQ(RegCreateKeyEx(HKEY_CURRENT_USER, mBase.c_str(), 0, NULL, REG_OPTION_NON_VOLATILE, KEY_WRITE, NULL,
                                 &hKey, NULL),
                  ERROR_SUCCESS);
        EXPECT_EQ(RegSetValueEx(hKey, name, 0, type, static_cast<const BYTE*>(data), size), ERROR_SUCCESS);
        RegCloseKey(hKey);
    }
    void storeText(const TCHAR* name, DWORD type, const tstring& text) {
        store(name, type, text.data(), static_cast<DWORD>(text.size() * sizeof(TCHAR)));
    }

    // Type and size of a stored value; false when it cannot be queried.
    bool query(const TCHAR* name, DWORD& type, DWORD& size) {
        HKEY hKey;
        if (RegOpenKeyEx(HKEY_CURRENT_USER, mBase.c_str(), 0, KEY_QUERY_VALUE, &hKey) != ERROR_SUCCESS) return false;
        size = 0;
        const bool ok = RegQueryValueEx(hKey, name, NULL, &type, NULL, &size) == ERROR_SUCCESS;
        RegCloseKey(hKey);
        return ok;
    }

    tstring mBase;
    std::size_t mOpenBefore = 0;
};

// --- strings --------------------------------------------------------------------------------------

TEST_F(RegistryHelpersTest, StringIsStoredTerminatedAndReadBack) {
    const tstring sub = path("New\\Path");
    EXPECT_EQ(WriteRegistryString(HKEY_CURRENT_USER, sub.c_str(), _T("Name"), _T("Varnikel")), 1);
    EXPECT_EQ(tstring(ReadRegistryString(HKEY_CURRENT_USER, sub.c_str(), _T("Name"))), _T("Varnikel"));

    EXPECT_EQ(WriteRegistryString(HKEY_CURRENT_USER, mBase.c_str(), _T("Empty"), _T("")), 1);
    DWORD type = 0, size = 0;
    ASSERT_TRUE(query(_T("Empty"), type, size));
    EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(size, sizeof(TCHAR));
}

TEST_F(RegistryHelpersTest, EveryReadOverwritesTheSameBuffer) {
    WriteRegistryString(HKEY_CURRENT_USER, mBase.c_str(), _T("First"), _T("first value"));
    WriteRegistryString(HKEY_CURRENT_USER, mBase.c_str(), _T("Second"), _T("2nd"));
    TCHAR* first = ReadRegistryString(HKEY_CURRENT_USER, mBase.c_str(), _T("First"));
    TCHAR* second = ReadRegistryString(HKEY_CURRENT_USER, mBase.c_str(), _T("Second"));
    EXPECT_EQ(first, RegistryStringBuffer);
    EXPECT_EQ(second, RegistryStringBuffer);
    EXPECT_EQ(tstring(first), _T("2nd"));
    // A missing key or value empties it.
    EXPECT_EQ(ReadRegistryString(HKEY_CURRENT_USER, path("Missing").c_str(), _T("First"))[0], 0);
    ReadRegistryString(HKEY_CURRENT_USER, mBase.c_str(), _T("First"));
    EXPECT_EQ(ReadRegistryString(HKEY_CURRENT_USER, mBase.c_str(), _T("Missing"))[0], 0);
}

TEST_F(RegistryHelpersTest, ValuesOfOtherTypesGiveEmptyText) {
    const DWORD number = 0x00414141;  // "AAA" with a terminator, if read as narrow text
    store(_T("Dword"), REG_DWORD, &number, sizeof(number));
    storeText(_T("Expand"), REG_EXPAND_SZ, tstring(_T("%TEMP%"), 7));
    storeText(_T("Multi"), REG_MULTI_SZ, tstring(_T("a\0b\0"), 5));
    storeText(_T("Binary"), REG_BINARY, tstring(_T("bin"), 4));
    for (const TCHAR* name : {_T("Dword"), _T("Expand"), _T("Multi"), _T("Binary")})
        EXPECT_EQ(ReadRegistryString(HKEY_CURRENT_USER, mBase.c_str(), name)[0], 0);
}

TEST_F(RegistryHelpersTest, LongestStringThatFitsIsReturnedWhole) {
    const tstring longest(REGISTRY_STRING_CAPACITY - 1, _T('x'));
    ASSERT_EQ(WriteRegistryString(HKEY_CURRENT_USER, mBase.c_str(), _T("Long"), longest.c_str()), 1);
    EXPECT_EQ(tstring(ReadRegistryString(HKEY_CURRENT_USER, mBase.c_str(), _T("Long"))), longest);

    const tstring tooLong(REGISTRY_STRING_CAPACITY, _T('y'));
    ASSERT_EQ(WriteRegistryString(HKEY_CURRENT_USER, mBase.c_str(), _T("TooLong"), tooLong.c_str()), 1);
    EXPECT_EQ(ReadRegistryString(HKEY_CURRENT_USER, mBase.c_str(), _T("TooLong"))[0], 0);
}

TEST_F(RegistryHelpersTest, StringStoredWithoutTerminatorIsStillTerminated) {
    // Exactly fills the buffer, leaving no room for a terminator: rejected as empty.
    storeText(_T("Full"), REG_SZ, tstring(REGISTRY_STRING_CAPACITY, _T('f')));
    EXPECT_EQ(ReadRegistryString(HKEY_CURRENT_USER, mBase.c_str(), _T("Full"))[0], 0);

    // A shorter one ends after its own characters, not after what an earlier read left behind.
    WriteRegistryString(HKEY_CURRENT_USER, mBase.c_str(), _T("Before"), _T("a much longer earlier value"));
    storeText(_T("Bare"), REG_SZ, _T("bare"));
    ReadRegistryString(HKEY_CURRENT_USER, mBase.c_str(), _T("Before"));
    EXPECT_EQ(tstring(ReadRegistryString(HKEY_CURRENT_USER, mBase.c_str(), _T("Bare"))), _T("bare"));
}

// --- numbers --------------------------------------------------------------------------------------

TEST_F(RegistryHelpersTest, DwordIsStoredAndReadBack) {
    const tstring sub = path("New\\Path");
    EXPECT_EQ(WriteRegistryDword(HKEY_CURRENT_USER, sub.c_str(), _T("Count"), 0xDEADBEEF), 1);
    EXPECT_EQ(ReadRegistryDword(HKEY_CURRENT_USER, sub.c_str(), _T("Count")), 0xDEADBEEFu);
    EXPECT_EQ(WriteRegistryDword(HKEY_CURRENT_USER, sub.c_str(), _T("Count"), 0), 1);
    EXPECT_EQ(ReadRegistryDword(HKEY_CURRENT_USER, sub.c_str(), _T("Count")), 0u);
}

TEST_F(RegistryHelpersTest, DwordOfAnotherTypeOrMissingIsZero) {
    storeText(_T("Text"), REG_SZ, tstring(_T("7"), 2));
    const DWORD bytes = 7;
    store(_T("Binary"), REG_BINARY, &bytes, sizeof(bytes));
    EXPECT_EQ(ReadRegistryDword(HKEY_CURRENT_USER, mBase.c_str(), _T("Text")), 0u);
    EXPECT_EQ(ReadRegistryDword(HKEY_CURRENT_USER, mBase.c_str(), _T("Binary")), 0u);
    EXPECT_EQ(ReadRegistryDword(HKEY_CURRENT_USER, mBase.c_str(), _T("Missing")), 0u);
    EXPECT_EQ(ReadRegistryDword(HKEY_CURRENT_USER, path("Missing").c_str(), _T("Count")), 0u);
}

// --- binary blocks --------------------------------------------------------------------------------

TEST_F(RegistryHelpersTest, BinaryStoresTheWholeBlockUnderAnExistingKey) {
    std::vector<BYTE> block(REGISTRY_BINARY_SIZE);
    EXPECT_EQ(WriteRegistryBinary(HKEY_CURRENT_USER, mBase.c_str(), _T("Block"), block.data()), 0);
    EXPECT_FALSE(keyExists(mBase));

    WriteRegistryDword(HKEY_CURRENT_USER, mBase.c_str(), _T("Dummy"), 1);
    for (size_t i = 0; i < block.size(); ++i) block[i] = static_cast<BYTE>(i * 7);
    EXPECT_EQ(WriteRegistryBinary(HKEY_CURRENT_USER, mBase.c_str(), _T("Block"), block.data()), 1);
    DWORD type = 0, size = 0;
    ASSERT_TRUE(query(_T("Block"), type, size));
    EXPECT_EQ(type, static_cast<DWORD>(REG_BINARY));
    EXPECT_EQ(size, static_cast<DWORD>(REGISTRY_BINARY_SIZE));

    std::vector<BYTE> read(REGISTRY_BINARY_SIZE, 0);
    EXPECT_EQ(ReadRegistryBinary(HKEY_CURRENT_USER, mBase.c_str(), _T("Block"), read.data()), 1);
    EXPECT_EQ(read, block);
}

TEST_F(RegistryHelpersTest, BinaryReadFillsOnlyWhatIsStored) {
    const BYTE stored[] = {1, 2, 3};
    store(_T("Short"), REG_BINARY, stored, sizeof(stored));
    std::vector<BYTE> block(REGISTRY_BINARY_SIZE, 0xEE);
    EXPECT_EQ(ReadRegistryBinary(HKEY_CURRENT_USER, mBase.c_str(), _T("Short"), block.data()), 1);
    EXPECT_EQ(std::vector<BYTE>(block.begin(), block.begin() + 4), (std::vector<BYTE>{1, 2, 3, 0xEE}));
    EXPECT_EQ(block.back(), 0xEE);

    const DWORD number = 5;
    store(_T("Dword"), REG_DWORD, &number, sizeof(number));
    EXPECT_EQ(ReadRegistryBinary(HKEY_CURRENT_USER, mBase.c_str(), _T("Dword"), block.data()), 0);
    EXPECT_EQ(ReadRegistryBinary(HKEY_CURRENT_USER, mBase.c_str(), _T("Missing"), block.data()), 0);
    EXPECT_EQ(ReadRegistryBinary(HKEY_CURRENT_USER, path("Missing").c_str(), _T("Block"), block.data()), 0);
    // Too large for the block.
    std::vector<BYTE> large(REGISTRY_BINARY_SIZE + 1, 1);
    store(_T("Large"), REG_BINARY, large.data(), static_cast<DWORD>(large.size()));
    EXPECT_EQ(ReadRegistryBinary(HKEY_CURRENT_USER, mBase.c_str(), _T("Large"), block.data()), 0);
}

// --- without write access -------------------------------------------------------------------------

TEST_F(RegistryHelpersTest, WritersFailWithoutWriteAccessAndCreateNothing) {
    REFUSE_REGISTRY_WRITES(false);
    std::vector<BYTE> block(REGISTRY_BINARY_SIZE, 0);
    const tstring sub = path("Refused");
    EXPECT_EQ(WriteRegistryString(HKEY_CURRENT_USER, sub.c_str(), _T("S"), _T("x")), 0);
    EXPECT_EQ(WriteRegistryDword(HKEY_CURRENT_USER, sub.c_str(), _T("D"), 1), 0);
    EXPECT_EQ(WriteRegistryBinary(HKEY_CURRENT_USER, sub.c_str(), _T("B"), block.data()), 0);
    EXPECT_FALSE(keyExists(sub));
}

TEST_F(RegistryHelpersTest, WritersCloseTheKeyWhenStoringFails) {
    WriteRegistryDword(HKEY_CURRENT_USER, mBase.c_str(), _T("Dummy"), 1);
    REFUSE_REGISTRY_WRITES(true);
    std::vector<BYTE> block(REGISTRY_BINARY_SIZE, 0);
    EXPECT_EQ(WriteRegistryString(HKEY_CURRENT_USER, mBase.c_str(), _T("S"), _T("x")), 0);
    EXPECT_EQ(WriteRegistryDword(HKEY_CURRENT_USER, mBase.c_str(), _T("D"), 1), 0);
    EXPECT_EQ(WriteRegistryBinary(HKEY_CURRENT_USER, mBase.c_str(), _T("B"), block.data()), 0);
    // The fixture checks that no key was left open.
}

}  // namespace
