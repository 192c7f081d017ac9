#include "frame/entry_point.h"
#include "frame/help_command.h"
#include "emulator/rx/services.h"
#include "emulator/win/win_control.h"
#include "tests/support/host_fixture.h"

namespace vrk::test {
namespace {

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

}  // namespace
}  // namespace vrk::test
