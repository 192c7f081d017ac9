// The batch report: one row per drawing, as CSV (for a spreadsheet) or JSON Lines.
#pragma once

#include <string>
#include <vector>

#include "tools/vrkbatch/drawing_job.h"

namespace vrk::batch {

enum class ReportFormat { Csv, JsonLines, Unknown };

// By the extension: .csv, or .jsonl (also .ndjson).
ReportFormat reportFormatOf(const std::string& path);

struct ReportRow {
    const Drawing* drawing;
    const DrawingResult* result;
};

// Writes the rows to path; false with the reason in error.
bool writeReport(const std::string& path, const std::vector<ReportRow>& rows, std::string& error);

}  // namespace vrk::batch
