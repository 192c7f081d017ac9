// The command stack: commands registered by applications in groups, found by global or local name.
// A name is unique within its group only; the host searches the groups from the one added last, so
// the newest group's command of a name runs, and removing that group uncovers the one below.
#include <algorithm>

#include "emulator/rx/class_registry.h"
#include "emulator/rx/services.h"
#include "emulator/calls/host_calls.h"
#include "emulator/text.h"

namespace vrk::emu {

namespace {

std::vector<RegisteredCommand>& commands() {
    static std::vector<RegisteredCommand> registered;
    return registered;
}

// The groups' names, case folded, in the order they were added: the top of the stack last.
std::vector<std::string>& groups() {
    static std::vector<std::string> stack;
    return stack;
}

const RegisteredCommand* findInGroup(const std::string& group, const std::string& key) {
    for (const RegisteredCommand& command : commands())
        if (foldCase(command.group) == group &&
            (foldCase(command.globalName) == key || foldCase(command.localName) == key))
            return &command;
    return nullptr;
}

class CommandStack : public AcEdCommandStack {
public:
    Acad::ErrorStatus addCommand(const ACHAR* cmdGroupName, const ACHAR* cmdGlobalName, const ACHAR* cmdLocalName,
                                 Adesk::Int32 commandFlags, AcRxFunctionPtr FunctionAddr, AcEdUIContext* UIContext,
                                 int fcode, HINSTANCE hResourceHandle, AcEdCommand** cmdPtrRet) override {
        if (int es = HostCalls::instance().enter("AcEdCommandStack::addCommand")) return Acad::ErrorStatus(es);
        if (cmdPtrRet != nullptr) *cmdPtrRet = nullptr;
        if (cmdGroupName == nullptr || cmdGlobalName == nullptr || FunctionAddr == nullptr) return Acad::eInvalidInput;
        RegisteredCommand command{fromHost(cmdGroupName),
                                  fromHost(cmdGlobalName),
                                  fromHost(cmdLocalName ? cmdLocalName : cmdGlobalName),
                                  commandFlags,
                                  FunctionAddr,
                                  UIContext,
                                  fcode,
                                  hResourceHandle,
                                  cmdPtrRet != nullptr};
        const std::string group = foldCase(command.group);
        if (findInGroup(group, foldCase(command.globalName)) != nullptr ||
            findInGroup(group, foldCase(command.localName)) != nullptr)
            return Acad::eDuplicateKey;
        if (std::find(groups().begin(), groups().end(), group) == groups().end()) groups().push_back(group);
        commands().push_back(command);
        return Acad::eOk;
    }

    Acad::ErrorStatus removeGroup(const ACHAR* groupName) override {
        if (int es = HostCalls::instance().enter("AcEdCommandStack::removeGroup")) return Acad::ErrorStatus(es);
        const std::string group = foldCase(fromHost(groupName));
        auto& all = commands();
        const size_t before = all.size();
        for (auto it = all.begin(); it != all.end();) it = foldCase(it->group) == group ? all.erase(it) : it + 1;
        groups().erase(std::remove(groups().begin(), groups().end(), group), groups().end());
        return all.size() == before ? Acad::eKeyNotFound : Acad::eOk;
    }

    AcRxClass* isA() const override { return findClass("AcEdCommandStack"); }
};

}  // namespace

AcRxObject* commandStackService() {
    static CommandStack stack;
    return &stack;
}

std::vector<RegisteredCommand> registeredCommands(const std::string& group) {
    std::vector<RegisteredCommand> out;
    const std::string key = foldCase(group);
    for (const RegisteredCommand& command : commands())
        if (group.empty() || foldCase(command.group) == key) out.push_back(command);
    return out;
}

const RegisteredCommand* lookupCommand(const std::string& name) {
    const std::string key = foldCase(name);
    for (auto group = groups().rbegin(); group != groups().rend(); ++group)
        if (const RegisteredCommand* pCommand = findInGroup(*group, key)) return pCommand;
    return nullptr;
}

bool invokeCommand(const std::string& name) {
    static int running = 0;
    const RegisteredCommand* pCommand = lookupCommand(name);
    if (pCommand == nullptr) return false;
    if (running > 0 && (pCommand->flags & ACRX_CMD_TRANSPARENT) == 0) return false;
    AcRxFunctionPtr handler = pCommand->handler;
    ++running;
    handler();
    --running;
    return true;
}

void clearCommands() {
    commands().clear();
    groups().clear();
}

}  // namespace vrk::emu
