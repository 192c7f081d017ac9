// Erases the model-space and paper-space entities of the working drawing that lie on hidden layers
// (off or frozen).  No command is bound to it.
#pragma once

#include "arx/arx.h"

// Unlocks every layer, thaws the frozen ones, erases the entities of every layout block that lie on
// a layer that was off or frozen, and freezes the thawed layers again.  Prints nothing.
void PurgeHiddenLayerEntities();

// Unlocks every layer of the working drawing that opens for write.  Collects the layers that are off
// and not frozen in arrOffLayerId, and thaws the frozen ones, collecting them in arrFrozenLayerId.
void CollectHiddenLayers(AcDbObjectIdArray& arrOffLayerId, AcDbObjectIdArray& arrFrozenLayerId);

// Erases the entities of the named block definition whose layer is in either list.  Stops at the
// first entity that does not open for write.
void EraseEntitiesOnLayers(const ACHAR* blockName, AcDbObjectIdArray arrOffLayerId, AcDbObjectIdArray arrFrozenLayerId);

// Freezes every layer of the list that opens for write.
void FreezeLayers(AcDbObjectIdArray arrLayerId);
