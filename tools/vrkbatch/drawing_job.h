// One drawing of a batch: where its result goes, running the host program on it, and what came of it.
#pragma once

#include <atomic>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "tools/record/host_record.h"
#include "tools/vrkbatch/batch_options.h"

namespace vrk::batch {

enum class Outcome { Solidified, NothingToDo, Failed, TimedOut, Skipped, Interrupted };
const char* outcomeName(Outcome outcome);

using vrk::record::BlockCounts;

struct Drawing {
    std::filesystem::path source;  // as found
    std::filesystem::path target;  // where the result goes (the source itself with --in-place)
    std::string skipReason;        // set: the drawing is not run, and failed unless skipped is true
    bool skipped = false;
    bool dwg = false;  // a DWG drawing, left out (skipped)
};

struct DrawingResult {
    Outcome outcome = Outcome::Failed;
    std::string message;  // what the commands printed; empty when the drawing failed
    std::optional<BlockCounts> before, after;
    std::optional<unsigned long long> bytesBefore, bytesAfter;
    double seconds = 0;
    std::string error;
};

// Runs the host program on one drawing, which saves its result itself; the drawing is locked against
// other batches meanwhile. Stops the host when stop becomes true (the result then says Interrupted).
DrawingResult runDrawing(const Drawing& drawing, const BatchOptions& options, const std::filesystem::path& host,
                         const std::atomic<bool>& stop);

}  // namespace vrk::batch
