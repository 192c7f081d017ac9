#pragma once

#include "emulator/db/database_imp.h"

namespace vrk::dxf {
class Document;
class TextCodec;
}  // namespace vrk::dxf

namespace vrk::emu {
// Creates an object for every record of the drawing that the host models as one, with tables, block
// entities and layers; owners, extension dictionaries, classes, entity layers and visibility are read
// from the records when asked.  False when the drawing lacks its block or layer table. Names are
// decoded with the document's codec. The document and codec must outlive the database's objects.
bool buildDatabase(AcDbImpDatabase& db, const vrk::dxf::Document& doc, const vrk::dxf::TextCodec& codec);
}  // namespace vrk::emu
