// Solidifies a drawing file into a second file without opening either in the editor: the invisible
// entities of every block definition go, extension dictionaries and layer switches stay.
#pragma once

#include "arx/arx.h"

// Outcome, also written to USERI1.
#define CONVERSION_DONE 1
#define CONVERSION_NO_FILE 2     // a path is missing or empty, or the source cannot be read
#define CONVERSION_BAD_BLOCKS 3  // the block table, its iterator, a definition or its name failed
#define CONVERSION_NOT_SAVED 4   // the target cannot be written

// Takes the source path from USERS1 and the target path from USERS2.
void ConvertDrawingFromUserVariables();

int ConvertDrawingFile(const ACHAR* pSourcePath, const ACHAR* pTargetPath);

void WriteConversionStatus(int code);
