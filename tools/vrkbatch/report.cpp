#include "tools/vrkbatch/report.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>

#include <nlohmann/json.hpp>

namespace vrk::batch {

namespace {

const char* const kColumns[] = {"path",
                                "result",
                                "outcome",
                                "message",
                                "dictionaries_before",
                                "invisible_before",
                                "dictionaries_after",
                                "invisible_after",
                                "bytes_before",
                                "bytes_after",
                                "seconds",
                                "error"};

std::string lowerExtension(const std::string& path) {
    std::string extension = std::filesystem::u8path(path).extension().u8string();
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return extension;
}

nlohmann::json number(const std::optional<long>& n) { return n ? nlohmann::json(*n) : nlohmann::json(); }
nlohmann::json number(const std::optional<unsigned long long>& n) { return n ? nlohmann::json(*n) : nlohmann::json(); }

// The row's fields in column order; null where a value is unknown (a drawing that failed has no counts after).
nlohmann::json fields(const ReportRow& row) {
    const DrawingResult& r = *row.result;
    char seconds[32];
    std::snprintf(seconds, sizeof(seconds), "%.3f", r.seconds);
    auto count = [](const std::optional<BlockCounts>& c, bool dictionaries) {
        return c ? std::optional<long>(dictionaries ? c->withDictionary : c->invisible) : std::nullopt;
    };
    const bool wrote = r.outcome == Outcome::Solidified || r.outcome == Outcome::NothingToDo;
    return nlohmann::json::array(
        {row.drawing->source.u8string(), wrote && r.bytesAfter ? row.drawing->target.u8string() : std::string(),
         outcomeName(r.outcome), r.message, number(count(r.before, true)), number(count(r.before, false)),
         number(count(r.after, true)), number(count(r.after, false)), number(r.bytesBefore), number(r.bytesAfter),
         nlohmann::json::parse(seconds), r.error});
}

// RFC 4180: a field with a comma, quote or line break is quoted, its quotes doubled.
std::string csvField(const nlohmann::json& value) {
    if (value.is_null()) return std::string();
    const std::string text = value.is_string() ? value.get<std::string>() : value.dump();
    if (text.find_first_of(",\"\r\n") == std::string::npos) return text;
    std::string quoted = "\"";
    for (char c : text) {
        if (c == '"') quoted += '"';
        quoted += c;
    }
    return quoted + '"';
}

}  // namespace

ReportFormat reportFormatOf(const std::string& path) {
    const std::string extension = lowerExtension(path);
    if (extension == ".csv") return ReportFormat::Csv;
    if (extension == ".jsonl" || extension == ".ndjson") return ReportFormat::JsonLines;
    return ReportFormat::Unknown;
}

bool writeReport(const std::string& path, const std::vector<ReportRow>& rows, std::string& error) {
    const ReportFormat format = reportFormatOf(path);
    std::ofstream out(std::filesystem::u8path(path), std::ios::binary | std::ios::trunc);
    if (!out) {
        error = std::strerror(errno);
        return false;
    }
    const size_t columns = sizeof(kColumns) / sizeof(kColumns[0]);
    if (format == ReportFormat::Csv) {
        for (size_t i = 0; i < columns; ++i) out << (i ? "," : "") << kColumns[i];
        out << "\r\n";
    }
    for (const ReportRow& row : rows) {
        const nlohmann::json values = fields(row);
        if (format == ReportFormat::Csv) {
            for (size_t i = 0; i < columns; ++i) out << (i ? "," : "") << csvField(values[i]);
            out << "\r\n";
        } else {
            nlohmann::ordered_json object;
            for (size_t i = 0; i < columns; ++i) object[kColumns[i]] = values[i];
            // Paths and messages that are not UTF-8 are written with replacement characters, not refused.
            out << object.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace) << '\n';
        }
    }
    out.close();
    if (!out) {
        error = "cannot write the report";
        return false;
    }
    return true;
}

}  // namespace vrk::batch
