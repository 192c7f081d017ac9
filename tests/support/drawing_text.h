// Small drawing files written for one test: the layers, blocks and entities it needs, nothing more.
#pragma once

#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

namespace vrk::test {

struct TestLayer {
    std::string name;
    bool off = false;
    bool frozen = false;
    bool locked = false;
};

struct TestEntity {
    std::string layer = "0";
    bool invisible = false;
};

struct TestBlock {
    std::string name;
    std::vector<TestEntity> entities;
    bool dynamic = false;  // carries an extension dictionary with one entry
    bool layout = false;   // a LAYOUT object is linked to it (340)
};

class DrawingText {
public:
    std::vector<TestLayer> layers{{"0"}};
    std::vector<TestBlock> blocks;  // after *Model_Space and *Paper_Space
    std::vector<TestEntity> modelEntities;
    std::string currentLayer = "0";  // $CLAYER
    bool spacesHaveLayouts = true;   // model and paper space linked to LAYOUT objects, as usual

    std::string text() {
        mOut.clear();
        mNext = 0x100;
        std::string blockRecords, blockSection, objects;
        const std::string tableOfBlocks = handle();
        const std::string root = handle();
        std::vector<TestBlock> all = {{"*Model_Space", {}, false, spacesHaveLayouts},
                                      {"*Paper_Space", {}, false, spacesHaveLayouts}};
        all.insert(all.end(), blocks.begin(), blocks.end());
        for (TestBlock& block : all) {
            const std::string record = handle();
            const std::string layout = block.layout ? handle() : "";
            if (block.layout)
                objects += "0\nLAYOUT\n5\n" + layout + "\n330\n" + root +
                           "\n100\nAcDbPlotSettings\n100\nAcDbLayout\n1\n" + block.name + "\n330\n" + record + "\n";
            std::string xdict;
            if (block.dynamic) {
                xdict = handle();
                const std::string entry = handle();
                objects += "0\nDICTIONARY\n5\n" + xdict + "\n330\n" + record +
                           "\n100\nAcDbDictionary\n3\nGRAPH\n360\n" + entry + "\n";
                objects += "0\nXRECORD\n5\n" + entry + "\n330\n" + xdict + "\n100\nAcDbXrecord\n";
            }
            blockRecords += "0\nBLOCK_RECORD\n5\n" + record + "\n";
            if (!xdict.empty()) blockRecords += "102\n{ACAD_XDICTIONARY\n360\n" + xdict + "\n102\n}\n";
            blockRecords += "330\n" + tableOfBlocks + "\n100\nAcDbSymbolTableRecord\n100\nAcDbBlockTableRecord\n2\n" +
                            block.name + "\n" + (block.layout ? "340\n" + layout + "\n" : "");
            blockSection += "0\nBLOCK\n5\n" + handle() + "\n330\n" + record +
                            "\n100\nAcDbEntity\n8\n0\n100\nAcDbBlockBegin\n2\n" + block.name +
                            "\n70\n0\n10\n0\n20\n0\n30\n0\n3\n" + block.name + "\n1\n\n";
            const std::vector<TestEntity>& entities = block.name == "*Model_Space" ? mEmpty : block.entities;
            for (const TestEntity& e : entities) blockSection += line(e, record);
            blockSection +=
                "0\nENDBLK\n5\n" + handle() + "\n330\n" + record + "\n100\nAcDbEntity\n8\n0\n100\nAcDbBlockEnd\n";
            if (block.name == "*Model_Space") mModelSpace = record;
        }
        std::string entitySection;
        for (const TestEntity& e : modelEntities) entitySection += line(e, mModelSpace);

        const std::string tableOfLayers = handle();
        std::string layerRecords;
        for (const TestLayer& layer : layers) {
            const int flags = (layer.frozen ? 1 : 0) | (layer.locked ? 4 : 0);
            layerRecords += "0\nLAYER\n5\n" + handle() + "\n330\n" + tableOfLayers +
                            "\n100\nAcDbSymbolTableRecord\n100\nAcDbLayerTableRecord\n2\n" + layer.name + "\n70\n" +
                            std::to_string(flags) + "\n62\n" + (layer.off ? "-7" : "7") + "\n6\nCONTINUOUS\n";
        }
        char seed[32];
        std::snprintf(seed, sizeof(seed), "%X", mNext);
        mOut = "0\nSECTION\n2\nHEADER\n9\n$ACADVER\n1\nAC1015\n9\n$HANDSEED\n5\n" + std::string(seed) +
               "\n9\n$CLAYER\n8\n" + currentLayer +
               "\n0\nENDSEC\n0\nSECTION\n2\nTABLES\n"
               "0\nTABLE\n2\nLAYER\n5\n" +
               tableOfLayers + "\n330\n0\n100\nAcDbSymbolTable\n70\n" + std::to_string(layers.size()) + "\n" +
               layerRecords +
               "0\nENDTAB\n"
               "0\nTABLE\n2\nBLOCK_RECORD\n5\n" +
               tableOfBlocks + "\n330\n0\n100\nAcDbSymbolTable\n70\n" + std::to_string(all.size()) + "\n" +
               blockRecords +
               "0\nENDTAB\n0\nENDSEC\n"
               "0\nSECTION\n2\nBLOCKS\n" +
               blockSection +
               "0\nENDSEC\n"
               "0\nSECTION\n2\nENTITIES\n" +
               entitySection +
               "0\nENDSEC\n"
               "0\nSECTION\n2\nOBJECTS\n0\nDICTIONARY\n5\n" +
               root + "\n330\n0\n100\nAcDbDictionary\n" + objects + "0\nENDSEC\n0\nEOF\n";
        return mOut;
    }

    void writeTo(const std::string& path) { std::ofstream(path, std::ios::binary) << text(); }

private:
    std::string handle() {
        char text[32];
        std::snprintf(text, sizeof(text), "%X", mNext++);
        return text;
    }
    std::string line(const TestEntity& e, const std::string& owner) {
        return "0\nLINE\n5\n" + handle() + "\n330\n" + owner + "\n100\nAcDbEntity\n8\n" + e.layer + "\n" +
               (e.invisible ? "60\n1\n" : "") + "100\nAcDbLine\n10\n0\n20\n0\n30\n0\n11\n1\n21\n1\n31\n0\n";
    }
    std::string mOut;
    std::string mModelSpace;
    unsigned mNext = 0x100;
    const std::vector<TestEntity> mEmpty;
};

}  // namespace vrk::test
