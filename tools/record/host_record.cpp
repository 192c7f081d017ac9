#include "tools/record/host_record.h"

#include <nlohmann/json.hpp>

namespace vrk::record {

namespace {

using nlohmann::json;

const char kRecordName[] = "vrkhost-batch";
const int kVersion = 1;

json countsJson(const BlockCounts& counts) {
    return {{"blocks", counts.blocks}, {"with_dictionary", counts.withDictionary}, {"invisible", counts.invisible}};
}

std::optional<BlockCounts> countsFrom(const json& object, const char* key) {
    if (!object.contains(key)) return std::nullopt;
    const json& counts = object.at(key);
    BlockCounts result;
    result.blocks = counts.at("blocks").get<long>();
    result.withDictionary = counts.at("with_dictionary").get<long>();
    result.invisible = counts.at("invisible").get<long>();
    return result;
}

}  // namespace

std::string formatRecord(const HostRecord& record) {
    json out = {{"record", kRecordName},   {"version", kVersion},     {"drawing", record.drawing},
                {"output", record.output}, {"status", record.status}, {"error", record.error}};
    if (record.before) out["before"] = countsJson(*record.before);
    if (record.after) out["after"] = countsJson(*record.after);
    if (record.saved) out["saved"] = *record.saved;
    if (record.backup) out["backup"] = *record.backup;
    if (record.bytesAfter) out["bytes_after"] = *record.bytesAfter;
    // Names that are not valid UTF-8 are written with replacement characters rather than refused.
    return out.dump(-1, ' ', false, json::error_handler_t::replace);
}

bool parseRecord(const std::string& text, HostRecord& record, std::string& reason) {
    const json in = json::parse(text, nullptr, false);
    if (in.is_discarded() || !in.is_object()) {
        reason = "the host wrote no record";
        return false;
    }
    try {
        if (in.at("record") != kRecordName || in.at("version") != kVersion) {
            reason = "the host wrote a record of another kind or version";
            return false;
        }
        HostRecord parsed;
        parsed.drawing = in.at("drawing").get<std::string>();
        parsed.before = countsFrom(in, "before");
        parsed.after = countsFrom(in, "after");
        parsed.output = in.at("output").get<std::string>();
        if (in.contains("saved")) parsed.saved = in.at("saved").get<std::string>();
        if (in.contains("backup")) parsed.backup = in.at("backup").get<std::string>();
        if (in.contains("bytes_after")) parsed.bytesAfter = in.at("bytes_after").get<unsigned long long>();
        parsed.status = in.at("status").get<int>();
        parsed.error = in.at("error").get<std::string>();
        record = std::move(parsed);
        return true;
    } catch (const json::exception& e) {
        reason = std::string("the host's record is incomplete: ") + e.what();
        return false;
    }
}

}  // namespace vrk::record
