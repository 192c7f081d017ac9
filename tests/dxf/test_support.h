#pragma once
// Helpers shared by the drawing-file tests.

#include <dirent.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>
#if defined(_WIN32)
#include <windows.h>
#endif

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "emulator/dxf/document.h"
#include "emulator/dxf/reader.h"
#include "emulator/dxf/writer.h"
#include "tools/samplegen/generator.h"

namespace vrk::dxf::testing {

inline std::vector<std::string> realworldFiles() {
    std::vector<std::string> out;
    if (DIR* d = opendir(VRK_REALWORLD_DIR)) {
        while (dirent* e = readdir(d)) {
            std::string n = e->d_name;
            if (n.size() > 4 && n.compare(n.size() - 4, 4, ".dxf") == 0)
                out.push_back(VRK_REALWORLD_DIR "/" + n);
        }
        closedir(d);
    }
    std::sort(out.begin(), out.end());
    return out;
}

inline std::string slurp(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

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

// A fresh empty folder under the test's temporary directory, removed with its files at destruction.
class TempFolder {
public:
    TempFolder() {
#if defined(_WIN32)
        // No mkdtemp: a fresh name from GetTempFileName, made a folder.
        char temp[MAX_PATH + 1], name[MAX_PATH + 1];
        if (GetTempPathA(sizeof(temp), temp) && GetTempFileNameA(temp, "vrd", 0, name) && DeleteFileA(name) &&
            CreateDirectoryA(name, nullptr))
            path_ = name;
#else
        char templ[] = "/tmp/vrk-dxf-test-XXXXXX";
        path_ = mkdtemp(templ);
#endif
    }
    ~TempFolder() {
        for (const std::string& f : files()) std::remove((path_ + "/" + f).c_str());
        rmdir(path_.c_str());
    }
    const std::string& path() const { return path_; }
    std::string file(const std::string& name) const { return path_ + "/" + name; }
    std::vector<std::string> files() const {
        std::vector<std::string> out;
        if (DIR* d = opendir(path_.c_str())) {
            while (dirent* e = readdir(d)) {
                std::string n = e->d_name;
                if (n != "." && n != "..") out.push_back(n);
            }
            closedir(d);
        }
        std::sort(out.begin(), out.end());
        return out;
    }

private:
    std::string path_;
};

inline void spit(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary);
    out << bytes;
}

// Index of the first record of this type whose group 2 is name, or kNoRecord.
inline RecordIndex findNamed(const Document& d, std::string_view type, std::string_view name) {
    for (RecordIndex i = 0; i < d.recordCount(); ++i) {
        if (d.typeName(i) == type && d.value(i, 2) == name) return i;
    }
    return kNoRecord;
}

}  // namespace vrk::dxf::testing
