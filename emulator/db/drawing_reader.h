#pragma once

#include "emulator/db/database_imp.h"

namespace vrk::dxf {
class Document;
class TextCodec;
}  // namespace vrk::dxf

namespace vrk::emu {
// Creates an object for every record of the drawing that the host models as one, with owners,
// extension dictionaries, tables, block entities, layers and dictionary entries.  False when the
// drawing lacks its block or layer table. Names are decoded with the document's codec.
bool buildDatabase(AcDbImpDatabase& db, const vrk::dxf::Document& doc, const vrk::dxf::TextCodec& codec);
}  // namespace vrk::emu
