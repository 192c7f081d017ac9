// The INFO command's summary of a drawing, gathered through the host's own interface.
#pragma once

#include <string>

#include "frame/host/arx.h"

namespace vrk::host {
std::string describeDrawing(AcDbDatabase* pDb);
}
