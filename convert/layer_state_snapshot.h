// The on, thawed and unlocked switches of up to 256 layers, carried from before some work on a
// drawing to after it.
#pragma once

#include "arx/arx.h"

#define LAYER_STATE_SLOTS 256

// Slots are filled from 0 upwards; a null id marks an unused slot.
struct LayerStateSnapshot {
    LayerStateSnapshot();

    AcDbObjectId layerIds[LAYER_STATE_SLOTS];
    bool offFlags[LAYER_STATE_SLOTS];
    bool lockedFlags[LAYER_STATE_SLOTS];
    bool frozenFlags[LAYER_STATE_SLOTS];
};

// Records the switches of the first 256 layers of the database that open for write, then turns them
// on, thaws and unlocks them.  False when the layer table or its iterator cannot be had.
bool CaptureLayerStates(AcDbDatabase* pDb, LayerStateSnapshot& LayerRcdArray);

// Sets back the switches that were on at capture; never clears one.  Layers are reached by their ids,
// so they must belong to a database that is still open.  Always true.
bool RestoreLayerStates(AcDbDatabase* pDb, LayerStateSnapshot LayerRcdArray);

bool CaptureWorkingLayerStates(LayerStateSnapshot& LayerRcdArray);
bool RestoreWorkingLayerStates(LayerStateSnapshot LayerRcdArray);
