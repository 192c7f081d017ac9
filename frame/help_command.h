// Opens the product's help page in the user's web browser.
#pragma once

#include "arx/arx.h"

extern const ACHAR kHelpAddress[];

void HelpCommand();
