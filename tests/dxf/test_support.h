#pragma once
// Helpers shared by the drawing-file tests.

#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "emulator/dxf/document.h"
#include "emulator/dxf/reader.h"
#include "emulator/dxf/writer.h"
#include "tests/support/file_contents.h"
#include "tests/support/realworld.h"
#include "tests/support/temp_folder.h"
#include "tools/samplegen/generator.h"

namespace vrk::dxf::testing {

inline std::vector<std::string> realworldFiles() { return vrk::test::realworldDrawings(); }
inline std::vector<std::string> realworldBinaryFiles() { return vrk::test::realworldBinaryDrawings(); }

inline std::unique_ptr<Document> parseOk(const std::string& bytes) {
    ReadError err;
    auto doc = parseDocument(bytes, err);
    EXPECT_NE(doc, nullptr) << err.describe();
    return doc;
}

inline std::string writeToString(const Document& doc, const EditSet& edits, WriteStats* stats = nullptr) {
    StringSink sink;
    std::string error;
    EXPECT_TRUE(writeDocument(doc, edits, sink, error, stats)) << error;
    return sink.data;
}

inline std::string generated(int blocks = 3, int entities = 12, int big = 0) {
    samplegen::Options o;
    o.blocks = blocks;
    o.entitiesPerBlock = entities;
    o.bigBlockEntities = big;
    return samplegen::generateDrawing(o);
}

using TempFolder = vrk::test::TempFolder;
using vrk::test::fileContents;
using vrk::test::writeFileContents;

// Index of the first record of this type whose group 2 is name, or kNoRecord.
inline RecordIndex findNamed(const Document& d, std::string_view type, std::string_view name) {
    for (RecordIndex i = 0; i < d.recordCount(); ++i) {
        if (d.typeName(i) == type && d.value(i, 2) == name) return i;
    }
    return kNoRecord;
}

}  // namespace vrk::dxf::testing
