// The start of a walk over the entities of one named block definition.
#pragma once

#include "arx/arx.h"

// Creates an iterator over the entities of the block definition of that name, opening it for write
// through the database's block table; the table and the definition are closed again before it
// returns, the walk needs only the iterator.  NULL when the table, the definition or the iterator
// cannot be had.  The caller deletes the iterator.
AcDbBlockTableRecordIterator* NewBlockEntityIterator(AcDbDatabase* pDb, const ACHAR* blockName);
