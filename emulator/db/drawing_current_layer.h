// The current layer as a drawing file records it: the header variable $CLAYER, the layer's name.
#pragma once

#include "emulator/db/database_imp.h"

namespace vrk::dxf {
class Document;
class EditSet;
}  // namespace vrk::dxf

namespace vrk::emu {

// Makes the layer that $CLAYER names current (names compare ignoring ASCII case, as the host's do);
// layer "0" when the file names none or a layer it does not hold.
void readCurrentLayer(AcDbImpDatabase& db, const vrk::dxf::Document& doc);
// Writes the current layer's name into $CLAYER when it is not the layer the file names.
void writeCurrentLayer(const AcDbImpDatabase& db, const vrk::dxf::Document& doc, vrk::dxf::EditSet& edits);

}  // namespace vrk::emu
