// Test helper for the ezdxf audit: generates drawings and saves edited copies.
//   dxf_edit_tool gen OUT            a generated drawing with every feature
//   dxf_edit_tool copy IN OUT        read and save without edits
//   dxf_edit_tool strip IN OUT       drop block records' extension dictionaries and invisible block entities
//   dxf_edit_tool ascii IN OUT       save as ASCII DXF
//   dxf_edit_tool binary IN OUT      save as binary DXF

#include <cstdio>
#include <fstream>
#include <string>

#include "emulator/dxf/save_document.h"
#include "emulator/dxf/reader.h"
#include "tools/samplegen/generator.h"

using namespace vrk::dxf;

int main(int argc, char** argv) {
    if (argc == 3 && std::string(argv[1]) == "gen") {
        vrk::samplegen::Options o;
        o.blocks = 5;
        o.bigBlockEntities = 1100;
        std::ofstream(argv[2], std::ios::binary) << vrk::samplegen::generateDrawing(o);
        return 0;
    }
    if (argc != 4) {
        std::fprintf(stderr, "usage: dxf_edit_tool gen OUT | copy|strip|ascii|binary IN OUT\n");
        return 2;
    }
    const std::string mode = argv[1];
    ReadError rerr;
    auto doc = readDocument(argv[2], rerr);
    if (!doc) {
        std::fprintf(stderr, "%s: %s\n", argv[2], rerr.describe().c_str());
        return 1;
    }
    EditSet edits;
    if (mode == "strip") {
        for (std::size_t s = 0; s < doc->blockRecords().size(); ++s) {
            const BlockRecordInfo& b = doc->blockRecords()[s];
            const Record& br = doc->record(b.record);
            if (br.xdict != kNoHandle) {
                edits.releaseExtensionDictionary(br.handle);
                edits.leaveOut(br.xdict);
            }
            if (b.name.size() > 1 && b.name[0] == '*' &&
                (b.name[1] == 'M' || b.name[1] == 'P' || b.name[1] == 'm' || b.name[1] == 'p')) {
                continue;
            }
            for (RecordIndex e : doc->blockEntities(s)) {
                if (doc->invisible(e)) edits.leaveOut(doc->record(e).handle);
            }
        }
    } else if (mode == "ascii" || mode == "binary") {
        edits.writeAs(mode == "ascii" ? Encoding::Ascii : Encoding::Binary);
    } else if (mode != "copy") {
        std::fprintf(stderr, "unknown mode %s\n", mode.c_str());
        return 2;
    }
    vrk::fs::SaveError serr;
    WriteStats stats;
    if (!saveDocument(*doc, edits, argv[3], serr, &stats)) {
        std::fprintf(stderr, "%s: %s\n", argv[3], serr.reason.c_str());
        return 1;
    }
    std::printf("%s: %zu left out, %zu rewritten, %zu references mended\n", argv[3], stats.recordsLeftOut,
                stats.recordsRewritten, stats.referencesMended);
    return 0;
}
