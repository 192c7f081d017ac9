// Releases the extension dictionaries of the block references placed in one block definition.
// No command is bound to it.
#pragma once

#include "arx/arx.h"

// Walks the named block definition of pDb and releases the extension dictionary of every entity
// whose class is exactly AcDbBlockReference or AcDbMInsertBlock.  Stops at the first entity that
// does not open for write.  Prints nothing.
void ReleaseReferenceExtensionDictionaries(AcDbDatabase* pDb, const ACHAR* blockName);
