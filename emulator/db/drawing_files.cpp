#include "emulator/db/drawing_files.h"

#include "emulator/db/drawing_current_layer.h"
#include "emulator/db/drawing_reader.h"
#include "emulator/dxf/reader.h"
#include "emulator/dxf/save_document.h"
#include "emulator/dxf/text_codec.h"
#include "emulator/rx/class_registry.h"
#include "emulator/rx/error_status.h"
#include "emulator/text.h"

namespace vrk::emu {

namespace {

// The file a database was read from, answering its objects' questions from the records.
class DrawingSource final : public RecordSource {
public:
    DrawingSource(std::unique_ptr<vrk::dxf::Document> pDocument, vrk::dxf::TextCodec codec, std::string path,
                  const vrk::fs::FileIdentity& identity)
        : path(std::move(path)), identity(identity), mpDocument(std::move(pDocument)), mCodec(std::move(codec)) {}
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

    const std::string path;          // as it was given, UTF-8
    vrk::fs::FileIdentity identity;  // of the file when it was read, or when this host last saved it

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

// A message that tells the user what to do stands alone: the status behind it would only distract.
bool& lastErrorIsAdvice() {
    static bool advice = false;
    return advice;
}

struct SaveRules {
    bool allowed = true;
    std::string backup;
    bool numberedBackup = false;
    std::string backupMade;
};

SaveRules& saveRules() {
    static SaveRules rules;
    return rules;
}

const vrk::fs::SaveFaults*& saveFaults() {
    static const vrk::fs::SaveFaults* pFaults = nullptr;
    return pFaults;
}

Acad::ErrorStatus fail(Acad::ErrorStatus es, std::string reason) {
    lastError() = std::move(reason);
    lastErrorIsAdvice() = false;
    return es;
}

// The changes of the database against the file it was read from.
bool collectEdits(AcDbImpDatabase& db, const vrk::dxf::Document& doc, vrk::dxf::EditSet& edits, std::string& error) {
    bool complete = true;
    db.forEachStub([&](AcDbStub& stub) {
        if (stub.sourceRecord() == UINT32_MAX) {
            if (!stub.erased) complete = false;
            return;
        }
        // A stub read from the file has its record's handle: taken from there, not asked of the stub.
        const vrk::dxf::Record& record = doc.record(stub.sourceRecord());
        if (stub.erased) {
            edits.leaveOut(record.handle);
            return;
        }
        const AcDbStub* pDict = stub.extDict();
        const std::uint64_t xdict = pDict != nullptr ? pDict->handle() : 0;
        if (xdict != record.xdict) {
            if (xdict != 0) complete = false;  // a dictionary made after reading
            else edits.releaseExtensionDictionary(record.handle);
        }
        if (stub.switchesChanged) {
            for (const auto& layer : doc.layers()) {
                if (layer.record != stub.sourceRecord()) continue;
                if (layer.off() != stub.off || layer.frozen() != stub.frozen || layer.locked() != stub.locked)
                    edits.setLayerSwitches(record.handle, vrk::dxf::LayerSwitches{stub.off, stub.frozen, stub.locked});
                break;
            }
        }
    });
    edits.raiseHandseed(db.handseed());
    if (!complete) error = "the drawing holds objects made after it was read, which cannot be saved yet";
    return complete;
}

}  // namespace

void setSaveFaults(const vrk::fs::SaveFaults* pFaults) { saveFaults() = pFaults; }
void setSavesAllowed(bool allowed) { saveRules().allowed = allowed; }
void setSaveBackup(const std::string& path, bool numbered) {
    saveRules().backup = path;
    saveRules().numberedBackup = numbered;
}
const std::string& lastSaveBackup() { return saveRules().backupMade; }

bool differsFromFileRead(const AcDbDatabase* pDb) {
    AcDbImpDatabase* pImp = pDb != nullptr ? const_cast<AcDbImpDatabase*>(AcDbImpDatabase::of(pDb)) : nullptr;
    auto* pSource = pImp != nullptr ? dynamic_cast<DrawingSource*>(pImp->source.get()) : nullptr;
    if (pSource == nullptr) return true;
    vrk::dxf::EditSet edits;
    std::string reason;
    if (!collectEdits(*pImp, pSource->document(), edits, reason)) return true;
    writeCurrentLayer(*pImp, pSource->document(), edits);
    // The handle seed alone is raised on every save and changes nothing that was read.
    return !edits.leftOut().empty() || !edits.recordEdits().empty() || !edits.headerEdits().empty();
}
void setSaveEncoding(SaveEncoding encoding) { chosenEncoding() = encoding; }
SaveEncoding saveEncoding() { return chosenEncoding(); }

const std::string& lastDrawingFileReason() { return lastError(); }
Acad::ErrorStatus failDrawingFile(Acad::ErrorStatus es, std::string reason) { return fail(es, std::move(reason)); }

std::string lastDrawingFileError(Acad::ErrorStatus es) {
    std::string reason = lastError();
    if (reason.empty()) reason = es == Acad::eFileNotFound ? "no such file" : "failed";
    return lastErrorIsAdvice() ? reason : reason + " [" + describeErrorStatus(es) + "]";
}

Acad::ErrorStatus readDrawingFile(AcDbImpDatabase& db, const ACHAR* fileName, int, bool) {
    fail(Acad::eOk, std::string());
    if (fileName == nullptr || fileName[0] == 0) return fail(Acad::eFileNotFound, "no file name");
    const std::string path = fromHost(fileName);
    vrk::dxf::ReadError err;
    vrk::fs::FileIdentity identity;
    std::unique_ptr<vrk::dxf::Document> doc = vrk::dxf::readDocument(path, err, &identity);
    if (!doc) {
        // A DWG drawing gets its own message: the user's next step is to convert it, not to repair it.
        if (err.dwg) {
            fail(Acad::eDxfReadAborted,
                 path + " is a DWG drawing; Varnikel reads DXF: save it as DXF first (see README, DWG drawings)");
            lastErrorIsAdvice() = true;
            return Acad::eDxfReadAborted;
        }
        const std::string reason = "cannot read " + path + ": " + err.describe();
        switch (err.status) {
            case vrk::dxf::ReadStatus::FileNotFound: return fail(Acad::eFileNotFound, reason);
            case vrk::dxf::ReadStatus::CannotRead: return fail(Acad::eFileAccessErr, reason);
            case vrk::dxf::ReadStatus::Unsupported: return fail(Acad::eInvalidDwgVersion, reason);
            default: return fail(Acad::eDxfReadAborted, reason);
        }
    }
    vrk::dxf::TextCodec codec = vrk::dxf::TextCodec::forDocument(*doc);
    auto pSource = std::make_shared<DrawingSource>(std::move(doc), std::move(codec), path, identity);
    db.clear();
    if (!buildDatabase(db, pSource->document(), pSource->codec())) {
        db.clear();
        return fail(Acad::eDxfReadAborted, "cannot read " + path + ": the drawing has no block or layer table");
    }
    readCurrentLayer(db, pSource->document());
    db.source = std::move(pSource);
    return Acad::eOk;
}

Acad::ErrorStatus saveDrawingFile(AcDbImpDatabase& db, const ACHAR* fileName) {
    fail(Acad::eOk, std::string());
    if (fileName == nullptr || fileName[0] == 0) return fail(Acad::eInvalidInput, "no file name");
    const std::string path = fromHost(fileName);
    const std::string cannot = "cannot save " + path + ": ";
    saveRules().backupMade.clear();
    if (!saveRules().allowed) return fail(Acad::eFileAccessErr, cannot + "saving is not allowed in this session");
    auto* pSource = dynamic_cast<DrawingSource*>(db.source.get());
    if (pSource == nullptr)
        return fail(Acad::eNotImplementedYet, cannot + "a drawing that was not read from a file cannot be saved yet");
    DrawingSource& source = *pSource;
    // Saving over the file the drawing came from must not wipe out what another program saved there
    // in the meantime.
    vrk::fs::FileIdentity now;
    const bool exists = vrk::fs::identifyFile(path, now);
    const bool overSource = path == source.path || (exists && now.sameFileAs(source.identity));
    if (overSource && exists && now != source.identity) {
        return fail(Acad::eFileSharingViolation,
                    cannot +
                        "the file was changed on disk by another program since it was read; "
                        "save under another name, or open it again");
    }
    const vrk::dxf::Document& doc = source.document();
    if (!doc.bytesIntact()) {
        return fail(Acad::eFileSharingViolation,
                    cannot + source.path +
                        " was changed by another program while this host could not answer (it was stopped), "
                        "so what was read of it is lost; open it again");
    }
    vrk::dxf::EditSet edits;
    std::string reason;
    if (!collectEdits(db, doc, edits, reason)) return fail(Acad::eNotImplementedYet, cannot + reason);
    writeCurrentLayer(db, doc, edits);
    if (chosenEncoding() != SaveEncoding::AsRead)
        edits.writeAs(chosenEncoding() == SaveEncoding::Binary ? vrk::dxf::Encoding::Binary
                                                               : vrk::dxf::Encoding::Ascii);
    vrk::fs::SaveError err;
    vrk::fs::FileIdentity saved;
    // Checked again under the save's lock right before the new file is put in place; a backup is made
    // only of the file read. A name that was free is not taken from a file that appears meanwhile.
    vrk::fs::SaveChecks checks;
    checks.absent = !exists;
    if (overSource && exists) {
        checks.unchanged = &source.identity;
        checks.backup = saveRules().backup;
        checks.numberedBackup = saveRules().numberedBackup;
    }
    if (!vrk::dxf::saveDocument(doc, edits, path, err, nullptr, saveFaults(), &saved, &checks)) {
        const bool refused =
            err.status == vrk::fs::SaveStatus::CannotCreate || err.status == vrk::fs::SaveStatus::Refused;
        const bool changed = err.status == vrk::fs::SaveStatus::Changed;
        return fail(changed   ? Acad::eFileSharingViolation
                    : refused ? Acad::eFileAccessErr
                              : Acad::eWriteFailed,
                    cannot + err.reason);
    }
    saveRules().backupMade = checks.backupMade;
    if (overSource) source.identity = saved;
    return Acad::eOk;
}

}  // namespace vrk::emu
