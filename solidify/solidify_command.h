// The solidify command: strips the block definitions of the working drawing (not its layouts, model
// space and paper spaces) of their dynamic-block data and invisible entities, and reports how many
// dynamic blocks it solidified.
#pragma once

void SolidifyCommand();
