// A large file is read in two halves at once (document_builder.h). Wherever the split falls, the result is
// the document, or the error, of reading the file in one go.

#include <sstream>

#include "emulator/dxf/document_builder.h"
#include "handmade.h"
#include "test_support.h"

namespace vrk::dxf::testing {
namespace {

constexpr std::size_t kInOneGo = std::string_view::npos;

struct Outcome {
    std::string text;  // the document's records and indexes, or the error
    bool inTwo = false;
};

std::string describe(const Document& d) {
    std::ostringstream s;
    s << d.acadVersion() << ' ' << d.codePage() << ' ' << d.handseed() << ' ' << d.maxHandle() << ' ' << d.crlf() << ' '
      << d.prefixEnd() << ' ' << d.trailerBegin() << ' ' << d.headerVar("$HANDSEED") << '\n';
    for (RecordIndex i = 0; i < d.recordCount(); ++i) {
        const Record& r = d.record(i);
        s << i << ' ' << r.begin << ' ' << r.handle << ' ' << r.owner << ' ' << r.xdict << ' ' << r.parent << ' '
          << r.type << ' ' << d.typeName(i) << ' ' << int(r.kind) << ' ' << int(r.flags) << ' '
          << (r.handle != kNoHandle && d.find(r.handle) == i) << '\n';
    }
    for (const SectionInfo& x : d.sections()) s << "S " << int(x.id) << x.name << x.begin << ' ' << x.end << '\n';
    for (const TableInfo& x : d.tables()) s << "T " << x.name << x.begin << ' ' << x.end << '\n';
    for (const auto& x : d.blockSpans()) s << "B " << x.first << ' ' << x.second << '\n';
    for (const BlockRecordInfo& x : d.blockRecords()) {
        s << "R " << x.record << x.name << x.blockBegin << ' ' << x.blockEnd << '\n';
    }
    for (const ClassInfo& x : d.classes()) s << "C " << x.record << x.dxfName << '\n';
    for (const LayerInfo& x : d.layers()) s << "L " << x.record << x.name << '\n';
    return s.str();
}

Outcome read(const std::string& bytes, std::size_t splitFrom) {
    Document doc;
    ReadError err;
    DocumentBuilder builder(doc, err);
    if (splitFrom != kInOneGo) builder.splitFrom(splitFrom);
    Outcome out;
    out.text = builder.build(Buffer::copyOf(bytes), "") ? describe(doc)
                                                        : err.describe() + " " + std::to_string(int(err.status));
    out.inTwo = builder.readInTwo();
    return out;
}

// Reads bytes split near every step-th offset and in one go; true when some split was taken.
bool readsAlikeWherever(const std::string& bytes, std::size_t step) {
    const std::string whole = read(bytes, kInOneGo).text;
    bool anyInTwo = false;
    for (std::size_t from = 0; from < bytes.size(); from += step) {
        const Outcome o = read(bytes, from);
        EXPECT_EQ(o.text, whole) << "split from " << from;
        anyInTwo = anyInTwo || o.inTwo;
    }
    return anyInTwo;
}

TEST(SplitRead, SameDocumentWhereverTheSplitFalls) {
    std::string base = generated(4, 10);
    EXPECT_TRUE(readsAlikeWherever(base, 97));
    // Past the last block and section boundary, any record in OBJECTS will do.
    EXPECT_TRUE(read(base, base.find("DICTIONARY", base.rfind("OBJECTS"))).inTwo);
    std::string crlf;
    for (char c : base) crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
    EXPECT_TRUE(readsAlikeWherever(crlf, 389));
    EXPECT_TRUE(readsAlikeWherever(handmade(), 13));
    for (const std::string& path : realworldFiles()) {
        const std::string bytes = fileContents(path);
        readsAlikeWherever(bytes, bytes.size() / 6 + 1);
    }
}

// Damage in either half, lines that look like the record the split looks for, sections seen twice or
// out of order: the same error, with the same line, as reading in one go.
TEST(SplitRead, SameErrorWhereverTheDamageAndTheSplitFall) {
    const std::string base = generated(2, 6);
    std::vector<std::string> lines;
    std::istringstream in(base);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    auto joined = [](const std::vector<std::string>& ls) {
        std::string s;
        for (const std::string& l : ls) s += l + '\n';
        return s;
    };
    for (std::size_t at = 1; at + 1 < lines.size(); at += 113) {
        for (const std::vector<std::string>& bad : {std::vector<std::string>{"  0"},
                                                    {"BLOCK"},
                                                    {"  0", "BLOCK"},
                                                    {"  0", "SECTION"},
                                                    {"  0", "ENDSEC"},
                                                    {"  5", "1A"},
                                                    {"  0", "EOF"}}) {
            std::vector<std::string> damaged = lines;
            for (std::size_t k = 0; k < bad.size(); ++k) damaged[at + k] = bad[k];
            readsAlikeWherever(joined(damaged), 1201);
        }
    }
    // Records where the split's guess does not hold: a block after its section ended, sections again.
    auto inserted = [&base](const std::string& before, const std::string& what) {
        std::string s = base;
        return s.insert(s.rfind(before), what);
    };
    readsAlikeWherever(inserted("  0\nBLOCK\n", "  0\nENDSEC\n"), 401);
    for (const char* section : {"HEADER", "BLOCKS", "OBJECTS", "THUMBNAILIMAGE"}) {
        readsAlikeWherever(inserted("  0\nEOF\n", std::string("  0\nSECTION\n  2\n") + section + "\n  0\nENDSEC\n"),
                           401);
    }
}

}  // namespace
}  // namespace vrk::dxf::testing
