// A command-line picker that adds layer names of a drawing to a layer filter.  No command is bound
// to it; it needs the host's command line.
#pragma once

#include "arx/arx.h"

// Prompts for layer names until an empty input, an input beginning with "*" or a failed prompt;
// "?" lists the layers.  Every layer whose name equals the input, ignoring case, is added to
// pFilter, which the caller owns.  Returns 0 when pDb is null, its layers cannot be walked or the
// input begins with "*"; 1 when the drawing has no layers or the input is empty; 3 when the
// prompt does not complete normally.
int PromptLayerFilter(AcDbDatabase* pDb, AcDbLayerFilter* pFilter);
