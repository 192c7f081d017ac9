#pragma once
// Drawings with the structure of dynamic blocks (AC1032, UTF-8), for tests, samples and benchmarks.
//
// Each dynamic definition carries an extension-dictionary tree (ACAD_ENHANCEDBLOCK -> an evaluation
// graph whose parameter objects point into the definition's entities with 331/332), has anonymous *U
// representation blocks in which the entities outside the shown state are invisible (60 1), and is
// referenced from model space by INSERTs that carry dictionaries of their own. Nested references, an
// INSERT with attributes, a multiple insert, layers off, frozen and locked, {BLKREFS lists and an
// optional block of many entities complete the picture.

#include <cstdint>
#include <string>

namespace vrk::samplegen {

struct Options {
    int blocks = 4;             // dynamic block definitions
    int entitiesPerBlock = 12;  // entities in each definition (and in each of its representations)
    int representations = 2;    // *U blocks per definition
    int referencesPerRep = 2;   // model-space INSERTs of each *U block
    int bigBlockEntities = 0;   // entities of one extra ordinary block (0: none)
    std::uint64_t seed = 1;
    std::uint64_t firstHandle = 0x30;  // large values exercise 64-bit handles
    double targetMb = 0;               // when > 0, blocks is chosen to reach about this size
};

// The whole drawing as DXF text.
std::string generateDrawing(const Options& options);

// Resolves targetMb into a block count (by generating two small drawings); returns options with
// blocks set and targetMb cleared.
Options sizeForTarget(Options options);

}  // namespace vrk::samplegen
