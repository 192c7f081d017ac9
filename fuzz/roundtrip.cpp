#include "fuzz/roundtrip.h"

#include "emulator/dxf/document.h"
#include "emulator/dxf/edit_set.h"
#include "emulator/dxf/reader.h"
#include "emulator/dxf/writer.h"

namespace vrk::fuzz {

namespace {

using namespace vrk::dxf;

std::string write(const Document& doc, const EditSet& edits, std::string& out) {
    StringSink sink;
    std::string error;
    if (!writeDocument(doc, edits, sink, error)) return "writing to memory failed: " + error;
    out = std::move(sink.data);
    return "";
}

// Writes doc with edits, reads the result and writes that once more without edits: the second
// write must reproduce the first exactly, since the first already carries a valid $HANDSEED.
std::string writeAndReread(const Document& doc, const EditSet& edits, const char* what,
                           std::unique_ptr<Document>& reread) {
    std::string written;
    if (std::string e = write(doc, edits, written); !e.empty()) return std::string(what) + ": " + e;
    ReadError err;
    reread = parseDocument(written, err);
    if (!reread) return std::string(what) + ": what we wrote does not read back: " + err.describe();
    if (reread->recordCount() > doc.recordCount()) return std::string(what) + ": records were added";
    std::string again;
    if (std::string e = write(*reread, EditSet{}, again); !e.empty()) return std::string(what) + ": " + e;
    if (again != written) return std::string(what) + ": rewriting what we wrote changed it";
    return "";
}

// Written in the other encoding, the drawing reads back with the same records, and converting it back
// and forth once more gives the same bytes. A value the other encoding cannot take is refused with a
// reason.
std::string checkConversion(const Document& doc) {
    const Encoding other = doc.encoding() == Encoding::Ascii ? Encoding::Binary : Encoding::Ascii;
    EditSet toOther, back;
    toOther.writeAs(other);
    back.writeAs(doc.encoding());
    StringSink sink;
    std::string error;
    if (!writeDocument(doc, toOther, sink, error)) return error.empty() ? "conversion refused without a reason" : "";
    ReadError err;
    std::unique_ptr<Document> converted = parseDocument(sink.data, err);
    if (!converted) return "converted: does not read back: " + err.describe();
    if (converted->recordCount() != doc.recordCount()) return "converted: the record count changed";
    std::string returned, again;
    if (std::string e = write(*converted, back, returned); !e.empty()) return "converted back: " + e;
    std::unique_ptr<Document> reread = parseDocument(returned, err);
    if (!reread) return "converted back: does not read back: " + err.describe();
    if (std::string e = write(*reread, toOther, again); !e.empty()) return "converted again: " + e;
    if (again != sink.data) return "converting back and forth changed the drawing";
    return "";
}

}  // namespace

std::string checkDxfRoundTrip(std::string_view bytes) {
    ReadError err;
    std::unique_ptr<Document> doc = parseDocument(bytes, err);
    if (!doc) {
        if (err.status == ReadStatus::Ok || err.reason.empty()) return "refused without a reason";
        return "";
    }

    std::unique_ptr<Document> reread;
    if (std::string e = writeAndReread(*doc, EditSet{}, "no edits", reread); !e.empty()) return e;
    // Without edits only a $HANDSEED that is not above every handle may change.
    const bool seedOk = doc->handseed() > doc->maxHandle() || doc->headerVar("$HANDSEED") == kNoRecord;
    if (seedOk && reread->bytes() != bytes) return "no edits: the bytes changed";
    if (reread->recordCount() != doc->recordCount()) return "no edits: the record count changed";

    EditSet edits;
    bool leave = false;
    for (RecordIndex i = 0; i < doc->recordCount(); ++i) {
        const Record& r = doc->record(i);
        if (r.xdict != kNoHandle && r.handle != kNoHandle) edits.releaseExtensionDictionary(r.handle);
        const bool object =
            r.kind == RecordKind::Entity || r.kind == RecordKind::Object || r.kind == RecordKind::TableEntry;
        if (object && r.handle != kNoHandle && (leave = !leave)) edits.leaveOut(r.handle);
    }
    for (const LayerInfo& layer : doc->layers()) {
        const Handle h = doc->record(layer.record).handle;
        if (h != kNoHandle) edits.setLayerSwitches(h, {!layer.off(), !layer.frozen(), !layer.locked()});
    }
    if (std::string e = writeAndReread(*doc, edits, "edited", reread); !e.empty()) return e;
    return checkConversion(*doc);
}

}  // namespace vrk::fuzz
