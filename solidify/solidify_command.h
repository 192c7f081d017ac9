// The solidify command: strips every block definition of the working drawing of its dynamic-block
// data and of its invisible entities, and reports how many dynamic blocks it solidified.
#pragma once

void SolidifyCommand();
