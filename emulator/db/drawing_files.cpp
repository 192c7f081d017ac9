#include "emulator/db/drawing_files.h"

#include "emulator/db/drawing_reader.h"
#include "emulator/dxf/atomic_file.h"
#include "emulator/dxf/reader.h"
#include "emulator/dxf/text_codec.h"
#include "emulator/rx/class_registry.h"
#include "emulator/text.h"

namespace vrk::emu {

namespace {

// The file a database was read from, answering its objects' questions from the records.
class DrawingSource final : public RecordSource {
public:
    DrawingSource(std::unique_ptr<vrk::dxf::Document> pDocument, vrk::dxf::TextCodec codec)
        : mpDocument(std::move(pDocument)), mCodec(std::move(codec)) {}
    const vrk::dxf::Document& document() const { return *mpDocument; }
    const vrk::dxf::TextCodec& codec() const { return mCodec; }

    std::uint64_t handle(std::uint32_t record) const override { return mpDocument->record(record).handle; }
    std::string text(std::uint32_t record, int code) const override {
        return mCodec.decode(mpDocument->value(record, code));
    }
    bool integer(std::uint32_t record, int code, long long& value) const override {
        return mpDocument->intValue(record, code, value);
    }
    std::vector<SourceEntry> dictionaryEntries(std::uint32_t record) const override {
        std::vector<SourceEntry> entries;
        mpDocument->forEachDictionaryEntry(record, [&](const vrk::dxf::DictionaryEntry& entry) {
            entries.push_back(SourceEntry{mCodec.decode(entry.key), entry.handle, mpDocument->find(entry.handle)});
        });
        return entries;
    }

private:
    std::unique_ptr<vrk::dxf::Document> mpDocument;
    vrk::dxf::TextCodec mCodec;
};

SaveEncoding& chosenEncoding() {
    static SaveEncoding encoding = SaveEncoding::AsRead;
    return encoding;
}

std::string& lastError() {
    static std::string error;
    return error;
}

const vrk::dxf::SaveFaults*& saveFaults() {
    static const vrk::dxf::SaveFaults* pFaults = nullptr;
    return pFaults;
}

Acad::ErrorStatus fail(Acad::ErrorStatus es, std::string reason) {
    lastError() = std::move(reason);
    return es;
}

// The changes of the database against the file it was read from.
bool collectEdits(AcDbImpDatabase& db, const vrk::dxf::Document& doc, vrk::dxf::EditSet& edits,
                  std::string& error) {
    bool complete = true;
    db.forEachStub([&](AcDbStub& stub) {
        if (stub.sourceRecord == UINT32_MAX) {
            if (!stub.erased) complete = false;
            return;
        }
        const vrk::dxf::Record& record = doc.record(stub.sourceRecord);
        if (stub.erased) {
            edits.leaveOut(stub.handle());
            return;
        }
        const std::uint64_t xdict = stub.extDict != nullptr ? stub.extDict->handle() : 0;
        if (xdict != record.xdict) {
            if (xdict != 0) complete = false;  // a dictionary made after reading
            else edits.releaseExtensionDictionary(stub.handle());
        }
        if (stub.switchesChanged) {
            for (const auto& layer : doc.layers()) {
                if (layer.record != stub.sourceRecord) continue;
                if (layer.off() != stub.off || layer.frozen() != stub.frozen || layer.locked() != stub.locked)
                    edits.setLayerSwitches(stub.handle(), vrk::dxf::LayerSwitches{stub.off, stub.frozen, stub.locked});
                break;
            }
        }
    });
    edits.raiseHandseed(db.handseed());
    if (!complete) error = "the drawing holds objects made after it was read, which cannot be saved yet";
    return complete;
}

}  // namespace

void setSaveFaults(const vrk::dxf::SaveFaults* pFaults) { saveFaults() = pFaults; }
void setSaveEncoding(SaveEncoding encoding) { chosenEncoding() = encoding; }
SaveEncoding saveEncoding() { return chosenEncoding(); }

const std::string& lastDrawingFileReason() { return lastError(); }

std::string lastDrawingFileError(Acad::ErrorStatus es) {
    if (!lastError().empty()) return lastError();
    return es == Acad::eFileNotFound ? "no such file" : "error " + std::to_string(static_cast<int>(es));
}

Acad::ErrorStatus readDrawingFile(AcDbImpDatabase& db, const ACHAR* fileName, int, bool) {
    lastError().clear();
    if (fileName == nullptr || fileName[0] == 0) return fail(Acad::eFileNotFound, "no file name");
    vrk::dxf::ReadError err;
    // Copied rather than mapped: a file that another program cuts short while the drawing is open
    // must not take the host down.
    std::unique_ptr<vrk::dxf::Document> doc =
        vrk::dxf::readDocument(fromHost(fileName), err, vrk::dxf::ReadMode::Copy);
    if (!doc) {
        switch (err.status) {
            case vrk::dxf::ReadStatus::FileNotFound: return fail(Acad::eFileNotFound, err.describe());
            case vrk::dxf::ReadStatus::CannotRead: return fail(Acad::eFileAccessErr, err.describe());
            case vrk::dxf::ReadStatus::Unsupported: return fail(Acad::eInvalidDwgVersion, err.describe());
            default: return fail(Acad::eDxfReadAborted, err.describe());
        }
    }
    vrk::dxf::TextCodec codec = vrk::dxf::TextCodec::forDocument(*doc);
    auto pSource = std::make_shared<DrawingSource>(std::move(doc), std::move(codec));
    db.clear();
    if (!buildDatabase(db, pSource->document(), pSource->codec())) {
        db.clear();
        return fail(Acad::eDxfReadAborted, "the drawing has no block or layer table");
    }
    db.source = std::move(pSource);
    return Acad::eOk;
}

Acad::ErrorStatus saveDrawingFile(AcDbImpDatabase& db, const ACHAR* fileName) {
    lastError().clear();
    if (fileName == nullptr || fileName[0] == 0) return fail(Acad::eInvalidInput, "no file name");
    const auto* pSource = dynamic_cast<const DrawingSource*>(db.source.get());
    if (pSource == nullptr)
        return fail(Acad::eNotImplementedYet, "a drawing that was not read from a file cannot be saved yet");
    const vrk::dxf::Document& doc = pSource->document();
    vrk::dxf::EditSet edits;
    std::string reason;
    if (!collectEdits(db, doc, edits, reason)) return fail(Acad::eNotImplementedYet, reason);
    if (chosenEncoding() != SaveEncoding::AsRead)
        edits.writeAs(chosenEncoding() == SaveEncoding::Binary ? vrk::dxf::Encoding::Binary : vrk::dxf::Encoding::Ascii);
    vrk::dxf::SaveError err;
    if (!vrk::dxf::saveDocument(doc, edits, fromHost(fileName), err, nullptr, saveFaults())) {
        return fail(err.status == vrk::dxf::SaveStatus::CannotCreate ? Acad::eFileAccessErr : Acad::eWriteFailed,
                    err.reason);
    }
    return Acad::eOk;
}

}  // namespace vrk::emu
