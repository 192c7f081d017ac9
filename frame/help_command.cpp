#include "frame/help_command.h"

const ACHAR kHelpAddress[] = ACRX_T("https://varnikel.example.com/eng/apps/Varnikel.asp");

void HelpCommand()
{
    // The browser reports its own trouble; the command stays silent.
    ShellExecute(NULL, ACRX_T("open"), kHelpAddress, NULL, NULL, SW_SHOWNORMAL);
}
