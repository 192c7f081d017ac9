#pragma once
// Writing a Document back, with an EditSet applied.
//
// Records that no edit and no mended reference touches are written as the exact bytes read, so a
// document written with an empty edit set is byte-identical to its file. Rewritten records keep every
// untouched line as read (padding, line ends) and change only the values concerned.

#include <cstddef>
#include <cstdint>
#include <string>

#include "document.h"
#include "edit_set.h"
#include "emulator/fs/sink.h"

namespace vrk::dxf {

// Bytes go into a sink: a file being saved (save_document.h), memory, or a test double.
using fs::Sink;
using fs::StringSink;

struct WriteStats {
    std::size_t recordsLeftOut = 0;    // left out, including everything the left-out objects own
    std::size_t recordsRewritten = 0;  // written from edited tags rather than as read
    std::size_t referencesMended = 0;  // pointer values set to 0 or entries dropped
    std::uint64_t bytes = 0;
};

// Writes doc with edits applied. Mending: reactor (102 {ACAD_REACTORS), 102 {BLKREFS and dictionary
// (3 + 350/360) entries naming left-out objects are dropped, a reactor or BLKREFS group left empty is
// dropped; an extension dictionary group naming a left-out dictionary is dropped; any other pointer
// (320-369, 390-399, 480-481, xdata 1005) to a left-out object is set to 0. $HANDSEED is raised when it
// is not above every handle. Returns false with error filled when the sink fails.
bool writeDocument(const Document& doc, const EditSet& edits, Sink& sink, std::string& error,
                   WriteStats* stats = nullptr);

}  // namespace vrk::dxf
