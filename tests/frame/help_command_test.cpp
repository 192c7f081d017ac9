#include "frame/entry_point.h"
#include "frame/help_command.h"
#include "emulator/rx/services.h"
#include "tests/support/host_fixture.h"

#if defined(_WIN32)
#include <chrono>
#include <fstream>
#include <string>
#include <thread>
#include <vector>
#else
#include "emulator/win/win_control.h"
#endif

namespace vrk::test {
namespace {

#if defined(_WIN32)
// The real ShellExecute hands the address to Wine's browser launcher, which starts the programs named
// in HKCU\Software\Wine\WineBrowser "Browsers" asynchronously.  The build makes a stand-in browser
// that appends each address it is given to a log; the tests share that log, so they take turns.
const std::string kBrowser = VRK_BROWSER_SCRIPT;
const std::string kBrowserLog = "Z:" VRK_BROWSER_LOG;

class HelpCommandTest : public HostTest {
protected:
    void SetUp() override {
        HostTest::SetUp();
        const std::wstring lockPath = vrk::emu::utf8ToWide("Z:" VRK_BROWSER_LOG ".lock");
        for (int i = 0; i < 600 && mLock == INVALID_HANDLE_VALUE; ++i) {
            mLock =
                CreateFileW(lockPath.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
            if (mLock == INVALID_HANDLE_VALUE) std::this_thread::sleep_for(std::chrono::milliseconds(100));
        }
        ASSERT_NE(mLock, INVALID_HANDLE_VALUE) << "the browser log stayed locked";
        HKEY hKey = nullptr;
        ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\Wine\\WineBrowser", 0, nullptr, 0, KEY_SET_VALUE,
                                  nullptr, &hKey, nullptr),
                  ERROR_SUCCESS);
        const std::wstring browser = vrk::emu::utf8ToWide(kBrowser);
        RegSetValueExW(hKey, L"Browsers", 0, REG_SZ, reinterpret_cast<const BYTE*>(browser.c_str()),
                       static_cast<DWORD>((browser.size() + 1) * sizeof(wchar_t)));
        RegCloseKey(hKey);
        std::ofstream(kBrowserLog, std::ios::trunc).flush();
        acrxEntryPoint(AcRx::kInitAppMsg, this);
    }
    void TearDown() override {
        if (mLock != INVALID_HANDLE_VALUE) CloseHandle(mLock);
        HostTest::TearDown();
    }
    // The addresses the browser was started with, once count of them have come (or after 30 s).
    static std::vector<std::string> browserCalls(size_t count) {
        std::vector<std::string> lines;
        for (int i = 0; i < 300; ++i) {
            lines.clear();
            std::ifstream in(kBrowserLog);
            for (std::string line; std::getline(in, line);) lines.push_back(line);
            if (lines.size() >= count) break;
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        }
        return lines;
    }
    HANDLE mLock = INVALID_HANDLE_VALUE;
};

TEST_F(HelpCommandTest, OpensTheHelpPageOnceAndPrintsNothing) {
    HelpCommand();
    const std::vector<std::string> calls = browserCalls(1);
    ASSERT_EQ(calls.size(), 1u);
    const std::string suffix = "/eng/apps/Varnikel.asp";
    ASSERT_GE(calls[0].size(), suffix.size());
    EXPECT_EQ(calls[0].substr(calls[0].size() - suffix.size()), suffix);
    EXPECT_EQ(calls[0].rfind("https://", 0), 0u) << calls[0];
    EXPECT_EQ(transcript(), "");
}

TEST_F(HelpCommandTest, BothNamesRunTheSameHandler) {
    EXPECT_TRUE(vrk::emu::invokeCommand("VRK_HELP"));
    EXPECT_TRUE(vrk::emu::invokeCommand("vrk_help_online"));
    const std::vector<std::string> calls = browserCalls(2);
    ASSERT_EQ(calls.size(), 2u);
    EXPECT_EQ(calls[0], calls[1]);
    EXPECT_EQ(transcript(), "");
}

#else
class HelpCommandTest : public HostTest {
protected:
    void SetUp() override {
        HostTest::SetUp();
        vrk::win::setShellExecuteObserver([this](const vrk::win::ShellExecuteCall& call) { calls.push_back(call); });
        acrxEntryPoint(AcRx::kInitAppMsg, this);
    }
    void TearDown() override {
        vrk::win::clearShellExecuteObserver();
        HostTest::TearDown();
    }
    std::vector<vrk::win::ShellExecuteCall> calls;
};

TEST_F(HelpCommandTest, OpensTheHelpPageOnceAndPrintsNothing) {
    HelpCommand();
    ASSERT_EQ(calls.size(), 1u);
    const vrk::win::ShellExecuteCall& call = calls[0];
#ifdef UNICODE
    EXPECT_TRUE(call.wide);
#else
    EXPECT_FALSE(call.wide);
#endif
    EXPECT_EQ(call.hwnd, nullptr);
    EXPECT_EQ(call.verb, std::optional<std::wstring>(L"open"));
    ASSERT_TRUE(call.file.has_value());
    const std::wstring suffix = L"/eng/apps/Varnikel.asp";
    EXPECT_EQ(call.file->substr(call.file->size() - suffix.size()), suffix);
    EXPECT_FALSE(call.parameters.has_value());
    EXPECT_FALSE(call.directory.has_value());
    EXPECT_EQ(call.show, SW_SHOWNORMAL);
    EXPECT_EQ(transcript(), "");
}

TEST_F(HelpCommandTest, BothNamesRunTheSameHandler) {
    EXPECT_TRUE(vrk::emu::invokeCommand("VRK_HELP"));
    EXPECT_TRUE(vrk::emu::invokeCommand("vrk_help_online"));
    ASSERT_EQ(calls.size(), 2u);
    EXPECT_EQ(calls[0].file, calls[1].file);
    EXPECT_EQ(transcript(), "");
}

#endif

}  // namespace
}  // namespace vrk::test
