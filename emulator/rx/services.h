// The host's services as the emulator sees them: the dynamic linker's record of applications,
// the command stack, and the loading of modules.
#pragma once

#include <string>
#include <vector>

#include "arx/arx.h"

namespace vrk::emu {

// ---- dynamic linker ----
// Applications that asked to be unlocked / declared themselves able to run with several drawings.
const std::vector<void*>& unlockedApplications();
const std::vector<void*>& mdiAwareApplications();

// ---- command stack ----
// Everything addCommand was given.
struct RegisteredCommand {
    std::string group;
    std::string globalName;
    std::string localName;
    Adesk::Int32 flags;
    AcRxFunctionPtr handler;
    AcEdUIContext* uiContext;
    int functionCode;
    HINSTANCE resourceHandle;
    bool commandObjectAsked;  // a non-null cmdPtrRet
};
std::vector<RegisteredCommand> registeredCommands(const std::string& group = std::string());
// Finds the command that typing the name runs, by global or local name, ignoring case: the one of
// the group added last among those that have the name.  nullptr when none.
const RegisteredCommand* lookupCommand(const std::string& name);
// Runs the command of that name; false when there is none, or when a command is running and this
// one is not transparent (ACRX_CMD_TRANSPARENT): only those may run inside another command.
bool invokeCommand(const std::string& name);
void clearCommands();

// ---- modules ----
struct LoadedModule;
// Maps the module file and sends it the load message, as the host does.  On failure returns
// nullptr with the reason in error.
LoadedModule* loadModule(const std::string& path, std::string& error);
// Sends the unload message, then unmaps the module.
void unloadModule(LoadedModule* pModule);
// Sends any message to the module's entry point; returns what the entry point returned.
int sendMessage(LoadedModule* pModule, AcRx::AppMsgCode msg);

// The file name acedGetAppName reports while a module is being loaded.
void setLoadingModuleName(const std::string& utf8Path);

}  // namespace vrk::emu
