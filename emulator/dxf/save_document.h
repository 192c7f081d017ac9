#pragma once
// Saving a Document: writeDocument into emulator/fs's atomic save.

#include <string>

#include "document.h"
#include "edit_set.h"
#include "emulator/fs/atomic_file.h"
#include "writer.h"

namespace vrk::dxf {

// doc with edits written to target through fs::saveAtomically (see there for what is checked and
// what is left when it fails). True when the new file is in place; false with err filled otherwise.
bool saveDocument(const Document& doc, const EditSet& edits, const std::string& target, fs::SaveError& err,
                  WriteStats* stats = nullptr, const fs::SaveFaults* faults = nullptr,
                  fs::FileIdentity* saved = nullptr, fs::SaveChecks* checks = nullptr);

}  // namespace vrk::dxf
