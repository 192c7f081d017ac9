// One drawing of a batch: where its result goes, running the host program on it, and what came of it.
#pragma once

#include <atomic>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "tools/vrkbatch/batch_options.h"

namespace vrk::batch {

enum class Outcome { Solidified, NothingToDo, Failed, TimedOut, Skipped, Interrupted };
const char* outcomeName(Outcome outcome);

// What INFO counts in block definitions.
struct BlockCounts {
    long withDictionary = 0;
    long invisible = 0;
    bool operator==(const BlockCounts& o) const { return withDictionary == o.withDictionary && invisible == o.invisible; }
};

struct Drawing {
    std::filesystem::path source;  // as found
    std::filesystem::path target;  // where the result goes (the source itself with --in-place)
    std::string skipReason;        // set: the drawing is not run, and failed unless skipped is true
    bool skipped = false;
};

struct DrawingResult {
    Outcome outcome = Outcome::Failed;
    std::string message;  // what the commands printed
    std::optional<BlockCounts> before, after;
    std::optional<unsigned long long> bytesBefore, bytesAfter;
    double seconds = 0;
    std::string error;
};

// Runs the host program on one drawing and puts its result in place. Stops the host when stop becomes
// true (the result then says Interrupted and no target was touched).
DrawingResult runDrawing(const Drawing& drawing, const BatchOptions& options, const std::filesystem::path& host,
                         const std::atomic<bool>& stop);

}  // namespace vrk::batch
