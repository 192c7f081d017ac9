#include "reader.h"

#include "document_builder.h"
#include "emulator/fs/read_file.h"

namespace vrk::dxf {

std::string ReadError::describe() const {
    if (line != 0) return "line " + std::to_string(line) + ": " + reason;
    if (offset != kNoOffset) return "byte " + std::to_string(offset) + ": " + reason;
    return reason;
}

namespace {

std::unique_ptr<Document> finish(Buffer bytes, const std::string& path, ReadError& err) {
    auto doc = std::make_unique<Document>();
    DocumentBuilder builder(*doc, err);
    if (!builder.build(std::move(bytes), path)) return nullptr;
    return doc;
}

}  // namespace

std::unique_ptr<Document> readDocument(const std::string& path, ReadError& err, fs::FileIdentity* identity) {
    err = ReadError{};
    fs::FileBytes bytes;
    fs::ReadFailure failure = fs::ReadFailure::None;
    if (!fs::readWholeFile(path, bytes, failure, err.reason, identity)) {
        err.status = failure == fs::ReadFailure::NotFound ? ReadStatus::FileNotFound : ReadStatus::CannotRead;
        return nullptr;
    }
    return finish(Buffer(std::move(bytes)), path, err);
}

std::unique_ptr<Document> parseDocument(std::string_view bytes, ReadError& err, const std::string& path) {
    err = ReadError{};
    return finish(Buffer::copyOf(bytes), path, err);
}

}  // namespace vrk::dxf
