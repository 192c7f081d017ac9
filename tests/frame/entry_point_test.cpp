#include <algorithm>
#include <cstdlib>

#include "frame/entry_point.h"
#include "util/locale_flag.h"
#include "emulator/host.h"
#include "emulator/rx/services.h"
#if !defined(_WIN32)
#include "emulator/win/win_control.h"
#endif
#include "tests/frame/registry_reader.h"
#include "tests/support/host_fixture.h"

namespace vrk::test {
namespace {

using vrk::emu::FaultRule;

int packet;

class EntryPointTest : public HostTest {
protected:
    void SetUp() override {
        HostTest::SetUp();
#if defined(_WIN32)
        // The real registry keeps what earlier tests wrote: start from an empty host area.
        RegDeleteTreeW(HKEY_CURRENT_USER, hostArea().c_str());
#else
        vrk::win::resetRegistry();
        vrk::win::setRegistryWrites(vrk::win::RegistryWrites::allowed);
        vrk::win::setSystemLcid(1033);
#endif
        vrk::emu::setLoadingModuleName("/opt/varnikel/Varnikel_2008.dll");
        ChineseLocaleFlag = false;
    }
    void TearDown() override {
#if !defined(_WIN32)
        vrk::win::clearSystemLcid();
        vrk::win::setRegistryWrites(vrk::win::RegistryWrites::allowed);
        EXPECT_EQ(vrk::win::openKeyCount(), 0u);
#endif
        ChineseLocaleFlag = false;
        HostTest::TearDown();
    }
    static int send(AcRx::AppMsgCode msg) { return acrxEntryPoint(msg, &packet); }
    static short dwgcheck() {
        resbuf rb;
        EXPECT_EQ(acedGetVar(ACRX_T("DWGCHECK"), &rb), RTNORM);
        EXPECT_EQ(rb.restype, RTSHORT);
        return rb.resval.rint;
    }
    static std::vector<std::string> commandNames() {
        std::vector<std::string> names;
        for (const auto& c : vrk::emu::registeredCommands("Varnikel"))
            names.push_back(c.globalName + "/" + c.localName);
        return names;
    }
};

TEST_F(EntryPointTest, OtherMessagesDoNothingAndReturnZero) {
    hostCalls().setLogging(true);
    for (int msg : {0, 3, 4, 5, 7, 9, 16, 99, -1}) EXPECT_EQ(send(AcRx::AppMsgCode(msg)), 0);
    EXPECT_TRUE(hostCalls().log().empty());
}

TEST_F(EntryPointTest, LoadRegistersBothCommandsSetsDwgcheckAndWritesDemandLoadEntries) {
    hostCalls().setLogging(true);
    EXPECT_EQ(send(AcRx::kInitAppMsg), 0);
    const std::vector<std::string> ops = hostCalls().loggedOps();
    EXPECT_EQ(commandNames(), (std::vector<std::string>{"Varnikel/vrk", "VRK_Help_Online/VRK_HELP"}));
    EXPECT_EQ(dwgcheck(), 2);
    ASSERT_EQ(vrk::emu::unlockedApplications().size(), 1u);
    EXPECT_EQ(vrk::emu::unlockedApplications()[0], &packet);
    ASSERT_EQ(vrk::emu::mdiAwareApplications().size(), 1u);
    EXPECT_EQ(vrk::emu::mdiAwareApplications()[0], &packet);

    EXPECT_EQ(registryText(L"", L"DESCRIPTION"), "Varnikel version 1.0");
    EXPECT_EQ(registryText(L"", L"LOADER"), "/opt/varnikel/Varnikel_2008.dll");
    EXPECT_EQ(registryText(L"", L"LOADCTRLS"), "5");
    EXPECT_EQ(registryText(L"Groups", L"Varnikel"), "Varnikel");
    EXPECT_EQ(registryText(L"Commands", L"Varnikel"), "vrk");
    EXPECT_EQ(registryText(L"Commands", L"VRK_Help_Online"), "VRK_HELP");
    // Both flags of writeToRegistry false.
    ASSERT_EQ(vrk::emu::demandLoadWrites().size(), 1u);
    EXPECT_EQ(vrk::emu::demandLoadWrites()[0].appName, "Varnikel");
    EXPECT_FALSE(vrk::emu::demandLoadWrites()[0].forCurrentUserOnly);
    EXPECT_FALSE(vrk::emu::demandLoadWrites()[0].overwrite);

    // The order of the load: linker, class hierarchy, commands, variable, demand loading.
    std::vector<std::string> milestones;
    for (const std::string& op : ops)
        if (op != "AcRxDictionary::at") milestones.push_back(op);
    EXPECT_EQ(milestones, (std::vector<std::string>{
                              "AcRxDynamicLinker::unlockApplication", "AcRxDynamicLinker::registerAppMDIAware",
                              "acrxBuildClassHierarchy", "AcEdCommandStack::addCommand", "AcEdCommandStack::addCommand",
                              "acedSetVar", "AcadAppInfo::writeToRegistry", "AcadAppInfo::writeGroupNameToRegistry",
                              "AcadAppInfo::writeCommandNameToRegistry", "AcadAppInfo::writeCommandNameToRegistry"}));
}

// Both commands are modal, with no UI context, function code -1, no resource module and no command
// object asked back; a modal command cannot be started inside another command.
TEST_F(EntryPointTest, BothCommandsAreRegisteredModalWithNoFurtherArguments) {
    send(AcRx::kInitAppMsg);
    const std::vector<vrk::emu::RegisteredCommand> commands = vrk::emu::registeredCommands("Varnikel");
    ASSERT_EQ(commands.size(), 2u);
    for (const vrk::emu::RegisteredCommand& c : commands) {
        SCOPED_TRACE(c.globalName);
        EXPECT_EQ(c.flags, ACRX_CMD_MODAL);
        EXPECT_EQ(c.uiContext, nullptr);
        EXPECT_EQ(c.functionCode, -1);
        EXPECT_EQ(c.resourceHandle, nullptr);
        EXPECT_FALSE(c.commandObjectAsked);
    }
    static bool bStartedInside;
    bStartedInside = true;
    AcEdCommandStack* pStack = static_cast<AcEdCommandStack*>(acrxSysRegistry()->at(ACRX_COMMAND_DOCK));
    ASSERT_EQ(pStack->addCommand(
                  ACRX_T("Other"), ACRX_T("OUTER"), ACRX_T("OUTER"), ACRX_CMD_MODAL,
                  [] { bStartedInside = vrk::emu::invokeCommand("vrk") || vrk::emu::invokeCommand("VRK_HELP"); }),
              Acad::eOk);
    EXPECT_TRUE(vrk::emu::invokeCommand("OUTER"));
    EXPECT_FALSE(bStartedInside);
    pStack->removeGroup(ACRX_T("Other"));
}

TEST_F(EntryPointTest, UnloadRemovesTheCommandsAndKeepsEverythingElse) {
    send(AcRx::kInitAppMsg);
    EXPECT_EQ(send(AcRx::kUnloadAppMsg), 0);
    EXPECT_FALSE(vrk::emu::invokeCommand("vrk"));
    EXPECT_FALSE(vrk::emu::invokeCommand("VRK_Help_Online"));
    EXPECT_EQ(dwgcheck(), 2);
    EXPECT_EQ(registryText(L"Commands", L"Varnikel"), "vrk");
}

TEST_F(EntryPointTest, FailingFirstCommandDoesNotStopTheLoad) {
    hostCalls().addFault(FaultRule{"AcEdCommandStack::addCommand", 0, 1, true, Acad::eOutOfMemory});
    EXPECT_EQ(send(AcRx::kInitAppMsg), 0);
    EXPECT_EQ(commandNames(), (std::vector<std::string>{"VRK_Help_Online/VRK_HELP"}));
    EXPECT_EQ(dwgcheck(), 2);
    EXPECT_EQ(registryText(L"Commands", L"VRK_Help_Online"), "VRK_HELP");
}

// A command name is unique within its group only.  Typing it runs the command of the group added
// last; removing that group uncovers the earlier one.  The plug-in's VRK is added beside another's.
TEST_F(EntryPointTest, SameCommandNameInTwoGroupsRunsTheGroupAddedLast) {
    static std::string ran;
    AcEdCommandStack* pStack = static_cast<AcEdCommandStack*>(acrxSysRegistry()->at(ACRX_COMMAND_DOCK));
    ASSERT_EQ(pStack->addCommand(ACRX_T("Other"), ACRX_T("VRK"), ACRX_T("VRK"), 0, [] { ran = "Other"; }), Acad::eOk);
    EXPECT_EQ(pStack->addCommand(ACRX_T("OTHER"), ACRX_T("Second"), ACRX_T("vrk"), 0, [] {}), Acad::eDuplicateKey);
    ASSERT_EQ(pStack->addCommand(ACRX_T("Later"), ACRX_T("vrk"), ACRX_T("vrk"), 0, [] { ran = "Later"; }), Acad::eOk);
    EXPECT_TRUE(vrk::emu::invokeCommand("Vrk"));
    EXPECT_EQ(ran, "Later");
    EXPECT_EQ(pStack->removeGroup(ACRX_T("Later")), Acad::eOk);
    EXPECT_TRUE(vrk::emu::invokeCommand("vrk"));
    EXPECT_EQ(ran, "Other");

    EXPECT_EQ(send(AcRx::kInitAppMsg), 0);
    EXPECT_EQ(commandNames(), (std::vector<std::string>{"Varnikel/vrk", "VRK_Help_Online/VRK_HELP"}));
    EXPECT_EQ(vrk::emu::lookupCommand("VRK")->group, "Varnikel");
    EXPECT_EQ(send(AcRx::kUnloadAppMsg), 0);
    EXPECT_EQ(vrk::emu::lookupCommand("VRK")->group, "Other");
}

TEST_F(EntryPointTest, LoadingTwiceWritesTheSameEntriesAgain) {
    send(AcRx::kInitAppMsg);
    send(AcRx::kUnloadAppMsg);
    hostCalls().setLogging(true);
    send(AcRx::kInitAppMsg);
    const std::vector<std::string> ops = hostCalls().loggedOps();
    EXPECT_EQ(std::count(ops.begin(), ops.end(), "AcadAppInfo::writeCommandNameToRegistry"), 2);
    EXPECT_EQ(registryText(L"", L"LOADER"), "/opt/varnikel/Varnikel_2008.dll");
    EXPECT_EQ(commandNames().size(), 2u);
}

TEST_F(EntryPointTest, MovedModuleRegistersItsNewFileName) {
    send(AcRx::kInitAppMsg);
    send(AcRx::kUnloadAppMsg);
    vrk::emu::setLoadingModuleName("/elsewhere/Varnikel_2008.dll");
    send(AcRx::kInitAppMsg);
    EXPECT_EQ(registryText(L"", L"LOADER"), "/elsewhere/Varnikel_2008.dll");
}

#if !defined(_WIN32)
// Refused writes need the emulated registry.
TEST_F(EntryPointTest, UnwritableRegistryStillLoadsWorkingCommands) {
    for (auto writes : {vrk::win::RegistryWrites::refused, vrk::win::RegistryWrites::refusedOnStore}) {
        vrk::emu::clearCommands();
        vrk::win::setRegistryWrites(writes);
        EXPECT_EQ(send(AcRx::kInitAppMsg), 0);
        EXPECT_EQ(registryText(L"", L"LOADER"), "<missing>");
        EXPECT_TRUE(vrk::emu::invokeCommand("vrk"));
        EXPECT_EQ(transcript(), "\nNo dynamic block need to been solidfied.");
        vrk::emu::clearTranscript();
    }
}
#endif

#if defined(_WIN32)
// The real system locale follows the environment Wine starts in (LC_ALL); CTest runs this test once
// per locale and names the identifier to expect in VRK_EXPECT_LCID.
TEST_F(EntryPointTest, ChineseLocaleFlagFollowsTheWholeSystemLocale) {
    const LCID lcid = GetSystemDefaultLCID();
    if (const char* expected = std::getenv("VRK_EXPECT_LCID")) {
        EXPECT_EQ(lcid, std::strtoul(expected, nullptr, 10));
    }
    const bool chinese = lcid == 2052 || lcid == 1028;
    EXPECT_EQ(IsChineseSystemLocale(), chinese) << lcid;
    send(AcRx::kInitAppMsg);
    EXPECT_EQ(ChineseLocaleFlag, chinese) << lcid;
}
#else
TEST_F(EntryPointTest, ChineseLocaleFlagFollowsTheWholeSystemLocale) {
    const struct {
        LCID lcid;
        bool chinese;
    } cases[] = {{2052, true},  {1028, true},  {1033, false},    {3076, false},
                 {4100, false}, {5124, false}, {0x10804, false}, {0x10404, false}};
    for (const auto& c : cases) {
        vrk::win::setSystemLcid(c.lcid);
        EXPECT_EQ(IsChineseSystemLocale(), c.chinese) << c.lcid;
        vrk::emu::clearCommands();
        send(AcRx::kInitAppMsg);
        EXPECT_EQ(ChineseLocaleFlag, c.chinese) << c.lcid;
    }
}

#endif

}  // namespace
}  // namespace vrk::test
