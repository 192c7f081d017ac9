// Writes a drawing file in the other encoding, for the fuzzer's binary seeds:
//   dxf_encode ascii|binary IN OUT
#include <cstdio>
#include <string>

#include "emulator/dxf/save_document.h"
#include "emulator/dxf/reader.h"

int main(int argc, char** argv) {
    using namespace vrk::dxf;
    if (argc != 4) {
        std::fprintf(stderr, "usage: dxf_encode ascii|binary IN OUT\n");
        return 2;
    }
    ReadError rerr;
    auto doc = readDocument(argv[2], rerr);
    if (!doc) {
        std::fprintf(stderr, "%s: %s\n", argv[2], rerr.describe().c_str());
        return 1;
    }
    EditSet edits;
    edits.writeAs(std::string(argv[1]) == "binary" ? Encoding::Binary : Encoding::Ascii);
    vrk::fs::SaveError serr;
    if (!saveDocument(*doc, edits, argv[3], serr)) {
        std::fprintf(stderr, "%s: %s\n", argv[3], serr.reason.c_str());
        return 1;
    }
    return 0;
}
