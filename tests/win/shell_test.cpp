#include <cerrno>
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

#include "tests/support/temp_folder.h"
#include "tests/win/win_fixture.h"

namespace {

std::uintptr_t code(HINSTANCE h) { return reinterpret_cast<std::uintptr_t>(h); }

class ShellTest : public WinTest {
protected:
    void SetUp() override {
        WinTest::SetUp();
        mDir = mFolder.path();
        if (const char* path = std::getenv("PATH")) mOldPath = path;
        setenv("PATH", mDir.c_str(), 1);
    }
    void TearDown() override {
        setenv("PATH", mOldPath.c_str(), 1);
        WinTest::TearDown();
    }
    vrk::test::TempFolder mFolder;
    std::string mDir, mOldPath;
};

TEST_F(ShellTest, ObserverSeesTheCallInsteadOfALaunch) {
    std::vector<vrk::win::ShellExecuteCall> calls;
    vrk::win::setShellExecuteObserver([&](const vrk::win::ShellExecuteCall& call) { calls.push_back(call); });
    HWND window = reinterpret_cast<HWND>(static_cast<std::uintptr_t>(0x1234));
    EXPECT_EQ(code(ShellExecuteW(window, L"open", L"https://example.com/\u4E2D", nullptr, L"C:\\", SW_SHOWNORMAL)),
              33u);
    vrk::win::setSystemLcid(2052);
    EXPECT_EQ(code(ShellExecuteA(nullptr, nullptr, "\xD6\xD0.txt", "-x", nullptr, 0)), 33u);
    ASSERT_EQ(calls.size(), 2u);
    EXPECT_TRUE(calls[0].wide);
    EXPECT_EQ(calls[0].hwnd, window);
    EXPECT_EQ(calls[0].verb, std::wstring(L"open"));
    EXPECT_EQ(calls[0].file, std::wstring(L"https://example.com/\u4E2D"));
    EXPECT_FALSE(calls[0].parameters.has_value());
    EXPECT_EQ(calls[0].directory, std::wstring(L"C:\\"));
    EXPECT_EQ(calls[0].show, SW_SHOWNORMAL);
    EXPECT_FALSE(calls[1].wide);
    EXPECT_FALSE(calls[1].verb.has_value());
    EXPECT_EQ(calls[1].file, std::wstring(L"\u4E2D.txt"));
    EXPECT_EQ(calls[1].parameters, std::wstring(L"-x"));
}

TEST_F(ShellTest, NoOpenerMeansFileNotFoundAndSaysSo) {
    std::vector<std::string> said;
    vrk::win::setShellFailureSink([&](const std::string& line) { said.push_back(line); });
    EXPECT_EQ(code(ShellExecuteW(nullptr, L"open", L"https://example.com", nullptr, nullptr, SW_SHOWNORMAL)),
              static_cast<std::uintptr_t>(SE_ERR_FNF));
    vrk::win::setShellFailureSink(nullptr);
    EXPECT_EQ(said, std::vector<std::string>{
                        "cannot open https://example.com: no program to open it (xdg-open is not on PATH)"});
}

TEST_F(ShellTest, OpenerStartsDetachedWithTheFile) {
    const std::string opener = mDir + "/xdg-open";
    std::ofstream(opener) << "#!/bin/sh\necho \"$1\" > \"" << mDir << "/opened.tmp\"\n/bin/mv \"" << mDir
                          << "/opened.tmp\" \"" << mDir << "/opened\"\necho noise\necho noise >&2\n";
    ASSERT_EQ(chmod(opener.c_str(), 0755), 0);
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    EXPECT_EQ(code(ShellExecuteW(nullptr, L"open", L"https://example.com/\u00E9", nullptr, nullptr, SW_SHOWNORMAL)),
              33u);
    // The intermediate process has been reaped and the opener is not our child.
    errno = 0;
    EXPECT_EQ(waitpid(-1, nullptr, WNOHANG), -1);
    EXPECT_EQ(errno, ECHILD);

    std::string opened;
    for (int i = 0; i < 500 && opened.empty(); ++i) {
        std::ifstream in(mDir + "/opened");
        std::getline(in, opened);
        if (opened.empty()) std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    EXPECT_EQ(opened, "https://example.com/\xC3\xA9");
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
}

}  // namespace
