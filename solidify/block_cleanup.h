// Strips one block definition of what makes it dynamic.
#pragma once

#include "arx/arx.h"

// True when the object's extension dictionary holds a dynamic block's data (an ACAD_ENHANCEDBLOCK
// entry) or nothing at all; false without one, or when it cannot be opened for read as a dictionary.
// Any other dictionary (a draw order, another application's data) is the drawing's own.
bool HasDynamicBlockDictionary(const AcDbObject* pObj);

// Erases the object's extension dictionary and releases it.  True when the object had one,
// whether or not the erase and the release took effect.  The object stays open.
bool EraseExtensionDictionary(AcDbObject* pObj);

// Erases every invisible entity of the definition, with a progress meter on the status bar for
// definitions of more than 1000 entities.  True when the walk reached its end and erased something;
// it stops at the first entity that cannot be opened for write.  The definition stays open.
bool EraseInvisibleEntities(AcDbBlockTableRecord* pBlockTableRecord);
