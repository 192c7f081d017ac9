#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

#include "tests/support/file_contents.h"
#include "tests/support/temp_folder.h"
#include "tests/win/win_fixture.h"

namespace {

using vrk::test::fileContents;
using vrk::test::writeFileContents;

class RegistryFileTest : public WinTest {
protected:
    void SetUp() override {
        WinTest::SetUp();
        mDir = mFolder.path();
        mPath = mFolder.file("registry.txt");
    }
    std::vector<std::string> files() const { return mFolder.entries(); }
    static void set(HKEY key, const wchar_t* name, DWORD type, const void* data, size_t size) {
        ASSERT_EQ(RegSetValueExW(key, name, 0, type, static_cast<const BYTE*>(data), static_cast<DWORD>(size)),
                  ERROR_SUCCESS);
    }
    static std::vector<BYTE> get(HKEY root, const wchar_t* path, const wchar_t* name, DWORD& type) {
        HKEY key = nullptr;
        std::vector<BYTE> data;
        if (RegOpenKeyExW(root, path, 0, KEY_READ, &key) != ERROR_SUCCESS) return data;
        DWORD size = 0;
        if (RegQueryValueExW(key, name, nullptr, &type, nullptr, &size) == ERROR_SUCCESS) {
            data.resize(size);
            RegQueryValueExW(key, name, nullptr, &type, data.data(), &size);
        }
        RegCloseKey(key);
        return data;
    }
    vrk::test::TempFolder mFolder;
    std::string mDir, mPath;
};

TEST_F(RegistryFileTest, SaveAndLoadKeepEveryValueExactly) {
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, L"Software\\Var \"nikel\"\\2004", 0, nullptr, 0, KEY_ALL_ACCESS,
                              nullptr, &key, nullptr),
              ERROR_SUCCESS);
    const std::wstring text = std::wstring(L"C:\\Path \"q\"\n\u4E2D\u00E9\x01") + L'\0';
    const std::wstring bare(L"no terminator");
    const std::wstring multi(L"a\0b\0\0", 5);
    const DWORD number = 0xCAFEF00D;
    const BYTE bytes[] = {0, 1, 0xFE, 0xFF};
    const BYTE odd[] = {'x', 'y', 'z'};
    set(key, L"", REG_SZ, text.data(), text.size() * sizeof(wchar_t));
    set(key, L"Bare", REG_SZ, bare.data(), bare.size() * sizeof(wchar_t));
    set(key, L"Expand", REG_EXPAND_SZ, L"%TEMP%", 7 * sizeof(wchar_t));
    set(key, L"Multi", REG_MULTI_SZ, multi.data(), multi.size() * sizeof(wchar_t));
    set(key, L"Number", REG_DWORD, &number, sizeof(number));
    set(key, L"Block", REG_BINARY, bytes, sizeof(bytes));
    set(key, L"Empty", REG_BINARY, nullptr, 0);
    set(key, L"Odd", REG_SZ, odd, sizeof(odd));
    set(key, L"Other", 11, bytes, sizeof(bytes));
    RegCloseKey(key);
    ASSERT_EQ(RegCreateKeyExW(HKEY_USERS, L"Empty\\Key", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    RegCloseKey(key);

    ASSERT_TRUE(vrk::win::saveRegistry(mPath));
    const std::string saved = fileContents(mPath);
    vrk::win::resetRegistry();
    ASSERT_TRUE(vrk::win::loadRegistry(mPath));
    ASSERT_TRUE(vrk::win::saveRegistry(mPath));
    EXPECT_EQ(fileContents(mPath), saved);

    const wchar_t* path = L"software\\var \"NIKEL\"\\2004";
    DWORD type = 0;
    auto asBytes = [](const void* p, size_t n) {
        return std::vector<BYTE>(static_cast<const BYTE*>(p), static_cast<const BYTE*>(p) + n);
    };
    EXPECT_EQ(get(HKEY_LOCAL_MACHINE, path, nullptr, type), asBytes(text.data(), text.size() * sizeof(wchar_t)));
    EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(get(HKEY_LOCAL_MACHINE, path, L"Bare", type), asBytes(bare.data(), bare.size() * sizeof(wchar_t)));
    EXPECT_EQ(get(HKEY_LOCAL_MACHINE, path, L"Expand", type), asBytes(L"%TEMP%", 7 * sizeof(wchar_t)));
    EXPECT_EQ(type, static_cast<DWORD>(REG_EXPAND_SZ));
    EXPECT_EQ(get(HKEY_LOCAL_MACHINE, path, L"Multi", type), asBytes(multi.data(), multi.size() * sizeof(wchar_t)));
    EXPECT_EQ(type, static_cast<DWORD>(REG_MULTI_SZ));
    EXPECT_EQ(get(HKEY_LOCAL_MACHINE, path, L"Number", type), asBytes(&number, sizeof(number)));
    EXPECT_EQ(get(HKEY_LOCAL_MACHINE, path, L"Block", type), asBytes(bytes, sizeof(bytes)));
    EXPECT_EQ(type, static_cast<DWORD>(REG_BINARY));
    EXPECT_TRUE(get(HKEY_LOCAL_MACHINE, path, L"Empty", type).empty());
    EXPECT_EQ(type, static_cast<DWORD>(REG_BINARY));
    EXPECT_EQ(get(HKEY_LOCAL_MACHINE, path, L"Odd", type), asBytes(odd, sizeof(odd)));
    EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(get(HKEY_LOCAL_MACHINE, path, L"Other", type), asBytes(bytes, sizeof(bytes)));
    EXPECT_EQ(type, 11u);
    EXPECT_EQ(RegOpenKeyExW(HKEY_USERS, L"Empty\\Key", 0, KEY_READ, &key), ERROR_SUCCESS);
    RegCloseKey(key);
}

TEST_F(RegistryFileTest, MalformedFileLeavesRegistryUnchanged) {
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, L"Kept", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    for (const char* text :
         {"", "vrk-registry 2\n", "vrk-registry 1\nsz \"A\" \"b\\0\"\n", "vrk-registry 1\nkey \"HKEY_NOWHERE\\\\X\"\n",
          "vrk-registry 1\nkey \"HKEY_USERS\\\\X\"\nsz \"A\" \"unclosed\n"}) {
        writeFileContents(mPath, text);
        EXPECT_FALSE(vrk::win::loadRegistry(mPath)) << text;
    }
    EXPECT_FALSE(vrk::win::loadRegistry(mDir + "/missing.txt"));
    EXPECT_EQ(vrk::win::openKeyCount(), 1u);
    EXPECT_EQ(RegCloseKey(key), ERROR_SUCCESS);
}

TEST_F(RegistryFileTest, SaveReplacesTheTargetOrLeavesNothing) {
    writeFileContents(mPath, "vrk-registry 1\n# old content, longer than the text of an empty registry\n");
    ASSERT_TRUE(vrk::win::saveRegistry(mPath));
    EXPECT_EQ(fileContents(mPath), "vrk-registry 1\n");
    EXPECT_EQ(files(), std::vector<std::string>{"registry.txt"});
    unlink(mPath.c_str());

    EXPECT_FALSE(vrk::win::saveRegistry(mDir + "/no/such/dir/registry.txt"));
    // A directory in the target's place cannot be replaced by the rename.
    ASSERT_EQ(mkdir(mPath.c_str(), 0755), 0);
    EXPECT_FALSE(vrk::win::saveRegistry(mPath));
    rmdir(mPath.c_str());
    EXPECT_TRUE(files().empty());
}

}  // namespace

namespace {

// Two processes on one registry file: what the other saved after this one loaded stays, what this one
// changed wins.
TEST_F(RegistryFileTest, SaveMergesWithWhatAnotherProcessSavedMeanwhile) {
    writeFileContents(mPath,
                      "vrk-registry 1\n"
                      "key \"HKEY_CURRENT_USER\\\\Shared\"\n"
                      "dword \"Kept\" 0x00000001\n"
                      "dword \"Dropped\" 0x00000002\n"
                      "dword \"Changed\" 0x00000003\n");
    ASSERT_TRUE(vrk::win::loadRegistry(mPath));
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, L"Shared", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    const DWORD mine = 30;
    set(key, L"Changed", REG_DWORD, &mine, sizeof(mine));
    RegCloseKey(key);
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, L"Mine", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    RegCloseKey(key);

    // Meanwhile another host program saved its own entries.
    writeFileContents(mPath,
                      "vrk-registry 1\n"
                      "key \"HKEY_CURRENT_USER\\\\Shared\"\n"
                      "dword \"Kept\" 0x00000001\n"
                      "dword \"Dropped\" 0x00000002\n"
                      "dword \"Changed\" 0x00000003\n"
                      "dword \"Theirs\" 0x00000004\n"
                      "key \"HKEY_CURRENT_USER\\\\Other\\\\R17\"\n");
    std::string reason;
    ASSERT_TRUE(vrk::win::saveRegistry(mPath, &reason)) << reason;
    EXPECT_EQ(fileContents(mPath),
              "vrk-registry 1\n"
              "key \"HKEY_CURRENT_USER\\\\Mine\"\n"
              "key \"HKEY_CURRENT_USER\\\\Other\"\n"
              "key \"HKEY_CURRENT_USER\\\\Other\\\\R17\"\n"
              "key \"HKEY_CURRENT_USER\\\\Shared\"\n"
              "dword \"Changed\" 0x0000001e\n"
              "dword \"Dropped\" 0x00000002\n"
              "dword \"Kept\" 0x00000001\n"
              "dword \"Theirs\" 0x00000004\n");
    EXPECT_EQ(files(), std::vector<std::string>{"registry.txt"});

    // A file that is no registry is left alone, and the reason given.
    writeFileContents(mPath, "not a registry\n");
    EXPECT_FALSE(vrk::win::saveRegistry(mPath, &reason));
    EXPECT_EQ(reason, "it is not a registry file");
    EXPECT_EQ(fileContents(mPath), "not a registry\n");
}

// The registry file is saved like a drawing: through a link to the file it leads to (made when it is
// not there yet), the link staying a link; a read-only file is refused and left as it is.
TEST_F(RegistryFileTest, SavesThroughLinksAndRefusesReadOnlyFiles) {
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\Varnikel", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                              nullptr),
              ERROR_SUCCESS);
    RegCloseKey(key);
    const std::string link = mDir + "/link.txt";
    ASSERT_EQ(symlink("registry.txt", link.c_str()), 0);
    for (int round = 0; round < 2; ++round) {  // missing, then there
        std::string reason;
        ASSERT_TRUE(vrk::win::saveRegistry(link, &reason)) << reason;
        struct stat st {};
        ASSERT_EQ(lstat(link.c_str(), &st), 0);
        EXPECT_TRUE(S_ISLNK(st.st_mode));
        EXPECT_NE(fileContents(mPath).find("Varnikel"), std::string::npos);
    }
    EXPECT_EQ(files().size(), 2u);

    writeFileContents(mPath, "vrk-registry 1\n");
    ASSERT_EQ(chmod(mPath.c_str(), 0444), 0);
    std::string reason;
    EXPECT_FALSE(vrk::win::saveRegistry(link, &reason));
    EXPECT_NE(reason.find("read-only"), std::string::npos) << reason;
    EXPECT_EQ(fileContents(mPath), "vrk-registry 1\n");
    chmod(mPath.c_str(), 0644);
}

}  // namespace
