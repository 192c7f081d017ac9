#include "emulator/db/drawing_files.h"

#include "emulator/db/drawing_current_layer.h"
#include "emulator/db/drawing_reader.h"
#include "emulator/dxf/atomic_file.h"
#include "emulator/dxf/reader.h"
#include "emulator/dxf/text_codec.h"
#include "emulator/rx/class_registry.h"
#include "emulator/text.h"

AcDbImpDatabase::SourceDrawing::~SourceDrawing() = default;

namespace vrk::emu {

namespace {

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

const std::string& lastDrawingFileReason() { return lastError(); }
Acad::ErrorStatus failDrawingFile(Acad::ErrorStatus es, std::string reason) { return fail(es, std::move(reason)); }

namespace {
const AcDbImpDatabase::SourceDrawing* sourceOf(const AcDbStub* pStub) {
    if (pStub == nullptr || pStub->sourceRecord == UINT32_MAX || pStub->database == nullptr) return nullptr;
    return pStub->database->source.get();
}
}  // namespace

std::string sourceText(const AcDbStub* pStub, int code) {
    const AcDbImpDatabase::SourceDrawing* pSource = sourceOf(pStub);
    if (pSource == nullptr) return std::string();
    return pSource->codec->decode(pSource->document->value(pStub->sourceRecord, code));
}

int sourceInt(const AcDbStub* pStub, int code, int fallback) {
    const AcDbImpDatabase::SourceDrawing* pSource = sourceOf(pStub);
    long long value = 0;
    if (pSource == nullptr || !pSource->document->intValue(pStub->sourceRecord, code, value)) return fallback;
    return static_cast<int>(value);
}

}  // namespace vrk::emu

std::vector<AcDbStub*> AcDbImpDatabase::childrenOf(const AcDbStub* pContainer) const {
    if (pContainer->contents) return pContainer->contents->children;
    std::vector<AcDbStub*> entries;
    // Dictionaries read from a drawing list their entries in the file's record.
    if (!source || pContainer->sourceRecord == UINT32_MAX || !source->document->isDictionary(pContainer->sourceRecord))
        return entries;
    const vrk::dxf::Document& doc = *source->document;
    for (const auto& entry : doc.dictionaryEntries(pContainer->sourceRecord)) {
        const vrk::dxf::RecordIndex i = doc.find(entry.handle);
        AcDbStub* pEntry = i != vrk::dxf::kNoRecord ? stubOfRecord(i) : nullptr;
        if (pEntry != nullptr) entries.push_back(pEntry);
    }
    return entries;
}

namespace vrk::emu {

std::vector<std::pair<std::string, std::uint64_t>> sourceDictionaryEntries(const AcDbStub* pStub) {
    std::vector<std::pair<std::string, std::uint64_t>> entries;
    const AcDbImpDatabase::SourceDrawing* pSource = sourceOf(pStub);
    if (pSource == nullptr) return entries;
    for (const auto& entry : pSource->document->dictionaryEntries(pStub->sourceRecord))
        entries.emplace_back(pSource->codec->decode(entry.key), entry.handle);
    return entries;
}

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
    auto codec = std::make_unique<vrk::dxf::TextCodec>(vrk::dxf::TextCodec::forDocument(*doc));
    db.clear();
    if (!buildDatabase(db, *doc, *codec)) {
        db.clear();
        return fail(Acad::eDxfReadAborted, "the drawing has no block or layer table");
    }
    readCurrentLayer(db, *doc);
    db.source = std::make_shared<AcDbImpDatabase::SourceDrawing>();
    db.source->codec = std::move(codec);
    db.source->document = std::move(doc);
    return Acad::eOk;
}

Acad::ErrorStatus saveDrawingFile(AcDbImpDatabase& db, const ACHAR* fileName) {
    lastError().clear();
    if (fileName == nullptr || fileName[0] == 0) return fail(Acad::eInvalidInput, "no file name");
    if (!db.source) return fail(Acad::eNotImplementedYet, "a drawing that was not read from a file cannot be saved yet");
    const vrk::dxf::Document& doc = *db.source->document;
    vrk::dxf::EditSet edits;
    std::string reason;
    if (!collectEdits(db, doc, edits, reason)) return fail(Acad::eNotImplementedYet, reason);
    writeCurrentLayer(db, doc, edits);
    vrk::dxf::SaveError err;
    if (!vrk::dxf::saveDocument(doc, edits, fromHost(fileName), err, nullptr, saveFaults())) {
        return fail(err.status == vrk::dxf::SaveStatus::CannotCreate ? Acad::eFileAccessErr : Acad::eWriteFailed,
                    err.reason);
    }
    return Acad::eOk;
}

}  // namespace vrk::emu
