// The INFO command's summary of a drawing, gathered through the host's own interface.
#pragma once

#include <string>

#include "arx/arx.h"
#include "tools/record/host_record.h"

namespace vrk::host {
std::string describeDrawing(AcDbDatabase* pDb);
// What INFO counts in the block definitions.
vrk::record::BlockCounts countBlockContent(AcDbDatabase* pDb);
}  // namespace vrk::host
