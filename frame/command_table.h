// The plug-in's commands, all in one command group.
#pragma once

#include "arx/arx.h"

#define VRK_COMMAND_GROUP ACRX_T("Varnikel")

struct CommandEntry {
    const ACHAR* globalName;
    const ACHAR* localName;
    AcRxFunctionPtr handler;
};

extern const CommandEntry kCommandTable[];
extern const int kCommandCount;
