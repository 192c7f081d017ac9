#include <cstring>
#include <string>

#include "tests/win/win_fixture.h"

namespace {

class RegistryTest : public WinTest {
protected:
    static HKEY create(const wchar_t* path, REGSAM access = KEY_ALL_ACCESS, DWORD* disposition = nullptr) {
        HKEY key = nullptr;
        EXPECT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, path, 0, nullptr, 0, access, nullptr, &key, disposition),
                  ERROR_SUCCESS);
        return key;
    }
    static LONG setText(HKEY key, const wchar_t* name, const std::wstring& data) {
        return RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(data.data()),
                              static_cast<DWORD>(data.size() * sizeof(wchar_t)));
    }
};

TEST_F(RegistryTest, CreateMakesThePathAndNamesIgnoreCase) {
    DWORD disposition = 0;
    RegCloseKey(create(L"Software\\Varnikel\\Settings", KEY_ALL_ACCESS, &disposition));
    EXPECT_EQ(disposition, static_cast<DWORD>(REG_CREATED_NEW_KEY));
    RegCloseKey(create(L"SOFTWARE\\varnikel\\settings\\", KEY_ALL_ACCESS, &disposition));
    EXPECT_EQ(disposition, static_cast<DWORD>(REG_OPENED_EXISTING_KEY));
    HKEY key = nullptr;
    EXPECT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "software\\VARNIKEL", 0, KEY_READ, &key), ERROR_SUCCESS);
    RegCloseKey(key);
    EXPECT_EQ(RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"Software\\Varnikel", 0, KEY_READ, &key), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, L"\\Software", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr),
              ERROR_BAD_PATHNAME);
    EXPECT_EQ(vrk::win::openKeyCount(), 0u);
}

TEST_F(RegistryTest, QueryReportsSizesAndReturnsDataAsStored) {
    HKEY key = create(L"K");
    ASSERT_EQ(setText(key, L"Name", std::wstring(L"abc", 4)), ERROR_SUCCESS);
    ASSERT_EQ(setText(key, L"Bare", L"abc"), ERROR_SUCCESS);
    const DWORD stored = 4 * sizeof(wchar_t);
    DWORD type = 0, size = 0;
    EXPECT_EQ(RegQueryValueExW(key, L"NAME", nullptr, &type, nullptr, &size), ERROR_SUCCESS);
    EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(size, stored);
    BYTE buffer[64];
    size = stored - 1;
    EXPECT_EQ(RegQueryValueExW(key, L"Name", nullptr, &type, buffer, &size), ERROR_MORE_DATA);
    EXPECT_EQ(size, stored);
    EXPECT_EQ(RegQueryValueExW(key, L"Missing", nullptr, &type, buffer, &size), ERROR_FILE_NOT_FOUND);

    // A string stored without a terminator comes back without one.
    std::memset(buffer, '#', sizeof(buffer));
    size = sizeof(buffer);
    EXPECT_EQ(RegQueryValueExA(key, "Bare", nullptr, &type, buffer, &size), ERROR_SUCCESS);
    EXPECT_EQ(size, 3u);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(buffer), 4), "abc#");
    RegCloseKey(key);
}

TEST_F(RegistryTest, NarrowFormsConvertThroughTheAnsiCodePage) {
    vrk::win::setSystemLcid(2052);
    HKEY key = create(L"K");
    const char ansi[] = "\xD6\xD0\xCE\xC4";  // two characters in four bytes
    ASSERT_EQ(RegSetValueExA(key, "\xD6\xD0", 0, REG_SZ, reinterpret_cast<const BYTE*>(ansi), sizeof(ansi)),
              ERROR_SUCCESS);
    DWORD type = 0, size = 0;
    EXPECT_EQ(RegQueryValueExW(key, L"\u4E2D", nullptr, &type, nullptr, &size), ERROR_SUCCESS);
    EXPECT_EQ(size, 3 * sizeof(wchar_t));
    EXPECT_EQ(RegQueryValueExA(key, "\xD6\xD0", nullptr, &type, nullptr, &size), ERROR_SUCCESS);
    EXPECT_EQ(size, sizeof(ansi));

    ASSERT_EQ(setText(key, L"Wide", std::wstring(L"\u6587x", 3)), ERROR_SUCCESS);
    char buffer[8];
    size = 3;
    EXPECT_EQ(RegQueryValueExA(key, "Wide", nullptr, &type, reinterpret_cast<BYTE*>(buffer), &size), ERROR_MORE_DATA);
    EXPECT_EQ(size, 4u);
    EXPECT_EQ(RegQueryValueExA(key, "Wide", nullptr, &type, reinterpret_cast<BYTE*>(buffer), &size), ERROR_SUCCESS);
    EXPECT_STREQ(buffer, "\xCE\xC4x");
    RegCloseKey(key);
}

TEST_F(RegistryTest, HandlesCarryTheirAccessRights) {
    RegCloseKey(create(L"K"));
    HKEY reader = nullptr, writer = nullptr, child = nullptr;
    ASSERT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, L"K", 0, KEY_QUERY_VALUE, &reader), ERROR_SUCCESS);
    ASSERT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, L"K", 0, KEY_WRITE, &writer), ERROR_SUCCESS);
    const DWORD one = 1;
    DWORD value = 0, size = 4;
    EXPECT_EQ(RegSetValueExW(reader, L"V", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&one), 4), ERROR_ACCESS_DENIED);
    EXPECT_EQ(RegCreateKeyExW(reader, L"Child", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &child, nullptr),
              ERROR_ACCESS_DENIED);
    EXPECT_EQ(RegSetValueExW(writer, L"V", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&one), 4), ERROR_SUCCESS);
    EXPECT_EQ(RegQueryValueExW(writer, L"V", nullptr, nullptr, reinterpret_cast<BYTE*>(&value), &size),
              ERROR_ACCESS_DENIED);
    EXPECT_EQ(RegQueryValueExW(reader, L"V", nullptr, nullptr, reinterpret_cast<BYTE*>(&value), &size), ERROR_SUCCESS);
    EXPECT_EQ(vrk::win::openKeyCount(), 2u);
    RegCloseKey(reader);
    RegCloseKey(writer);
    EXPECT_EQ(vrk::win::openKeyCount(), 0u);
}

TEST_F(RegistryTest, ClosedHandlesAreInvalid) {
    HKEY key = create(L"K");
    EXPECT_EQ(RegCloseKey(key), ERROR_SUCCESS);
    EXPECT_EQ(RegCloseKey(key), ERROR_INVALID_HANDLE);
    DWORD size = 0;
    EXPECT_EQ(RegQueryValueExW(key, L"V", nullptr, nullptr, nullptr, &size), ERROR_INVALID_HANDLE);
    EXPECT_EQ(RegSetValueExW(key, L"V", 0, REG_BINARY, nullptr, 0), ERROR_INVALID_HANDLE);
    EXPECT_EQ(RegOpenKeyExW(key, L"", 0, KEY_READ, &key), ERROR_INVALID_HANDLE);
    key = create(L"K");
    vrk::win::resetRegistry();  // takes open handles with it
    EXPECT_EQ(vrk::win::openKeyCount(), 0u);
    EXPECT_EQ(RegCloseKey(key), ERROR_INVALID_HANDLE);
}

TEST_F(RegistryTest, RefusedWritesLeaveNothingBehind) {
    RegCloseKey(create(L"Existing"));
    vrk::win::setRegistryWrites(vrk::win::RegistryWrites::refused);
    HKEY key = nullptr;
    EXPECT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, L"New\\Path", 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr),
              ERROR_ACCESS_DENIED);
    EXPECT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, L"Existing", 0, KEY_WRITE, &key), ERROR_ACCESS_DENIED);
    ASSERT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, L"Existing", 0, KEY_QUERY_VALUE, &key), ERROR_SUCCESS);
    RegCloseKey(key);

    vrk::win::setRegistryWrites(vrk::win::RegistryWrites::refusedOnStore);
    key = create(L"Existing", KEY_WRITE);
    EXPECT_EQ(setText(key, L"V", L"x"), ERROR_ACCESS_DENIED);
    RegCloseKey(key);
    EXPECT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, L"New", 0, KEY_READ, &key), ERROR_FILE_NOT_FOUND);
}

}  // namespace
