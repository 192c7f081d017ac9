#include "frame/command_table.h"

#include "frame/help_command.h"
#include "solidify/solidify_command.h"

const CommandEntry kCommandTable[] = {
    {ACRX_T("Varnikel"), ACRX_T("vrk"), SolidifyCommand},
    {ACRX_T("VRK_Help_Online"), ACRX_T("VRK_HELP"), HelpCommand},
};

const int kCommandCount = sizeof(kCommandTable) / sizeof(kCommandTable[0]);
