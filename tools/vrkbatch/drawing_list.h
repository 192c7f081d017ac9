// The drawings a batch works on: found in the paths given, each once, each with its target.
#pragma once

#include <vector>

#include "tools/vrkbatch/drawing_job.h"

namespace vrk::batch {

// In the order named (a folder's drawings sorted by name). Drawings that cannot be run (named twice,
// missing, DWG drawings, results that would replace an input or each other, backups that would collide)
// come with their reason.
std::vector<Drawing> listDrawings(const BatchOptions& options);

}  // namespace vrk::batch
