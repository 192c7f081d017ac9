// The host's error statuses in words, for messages.
#pragma once

#include <string>

#include "arx/acadstrc.h"

namespace vrk::emu {

// The status's name as the host's enumeration spells it ("eFileNotFound"); empty for a number that
// is none of the statuses the emulator declares.
const char* errorStatusName(Acad::ErrorStatus es);
// The name beside the number, "eFileNotFound (76)", or the number alone for an unknown one.
std::string describeErrorStatus(Acad::ErrorStatus es);

}  // namespace vrk::emu
