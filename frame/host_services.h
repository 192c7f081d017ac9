// The host services that the plug-in looks up by name whenever it needs them.
#pragma once

#include "arx/arx.h"

// The dynamic linker, or NULL when the registry holds nothing of its class.
AcRxDynamicLinker* LookupDynamicLinker();
// The command stack, or NULL.  Its class record is found by name on first use and kept.
AcEdCommandStack* LookupCommandStack();
