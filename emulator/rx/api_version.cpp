// The release query that every module exports; it comes with the host's link library, so each host
// generation's modules report that generation.
#include "arx/export.h"

VRK_MODULE_EXPORT int acrxGetApiVersion() { return VRK_API_VERSION; }
