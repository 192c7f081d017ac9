// The conversion routine saving onto a disk that really fills up or really cannot be written: it
// reports that it could not save, the old target stays, no temporary file is left, the source is
// untouched.

#include <sys/stat.h>

#include <algorithm>

#include "convert/drawing_conversion.h"
#include "tests/support/drawing_text.h"
#include "tests/support/host_fixture.h"
#include "tests/support/run_program.h"
#include "tests/support/small_tmpfs.h"
#include "tests/support/temp_folder.h"

namespace vrk::test {
namespace {

class ConversionSaveFault : public HostTest {
protected:
    void SetUp() override {
        HostTest::SetUp();
        DrawingText d;
        d.layers = {{"0"}, {"Locked", false, false, true}};
        TestBlock door{"Door", {}, true};
        for (int i = 0; i < 3000; ++i) door.entities.push_back({i % 3 ? "0" : "Locked", i % 2 == 0});
        d.blocks = {door};
        source = folder.file("source.dxf");
        d.writeTo(source);
        before = fileContents(source);
        ASSERT_EQ(stat(source.c_str(), &sourceStat), 0);
    }

    void convertTo(const std::string& target) {
        ASSERT_EQ(vrk::test::setStringVariable(ACRX_T("USERS1"), source), RTNORM);
        ASSERT_EQ(vrk::test::setStringVariable(ACRX_T("USERS2"), target), RTNORM);
        ConvertDrawingFromUserVariables();
    }

    static short status() {
        resbuf rb;
        EXPECT_EQ(acedGetVar(ACRX_T("USERI1"), &rb), RTNORM);
        return rb.resval.rint;
    }

    void expectNotSavedAndSourceUntouched() {
        EXPECT_EQ(transcript(), "\nRuntime ERROR[30106]");
        EXPECT_EQ(status(), CONVERSION_NOT_SAVED);
        EXPECT_TRUE(fileContents(source) == before);
        struct stat now {};
        ASSERT_EQ(stat(source.c_str(), &now), 0);
        EXPECT_EQ(now.st_mtime, sourceStat.st_mtime);
        EXPECT_EQ(now.st_size, sourceStat.st_size);
        EXPECT_EQ(folder.entries(), (std::vector<std::string>{"source.dxf"}));
    }

    TempFolder folder;
    std::string source;
    std::string before;
    struct stat sourceStat {};
};

TEST_F(ConversionSaveFault, FullDisk) {
    SmallTmpfs disk(64);
    if (!disk.mounted()) GTEST_SKIP() << disk.why();
    ASSERT_GT(before.size(), 4u * 64 * 1024);
    const std::string target = disk.file("target.dxf");
    std::ofstream(target) << "the old target";
    convertTo(target);
    expectNotSavedAndSourceUntouched();
    EXPECT_EQ(fileContents(target), "the old target");
    EXPECT_EQ(disk.entries(), (std::vector<std::string>{"target.dxf"}));
}

TEST_F(ConversionSaveFault, ReadOnlyFolder) {
    SmallTmpfs disk(64);
    if (!disk.mounted()) GTEST_SKIP() << disk.why();
    const std::string target = disk.file("target.dxf");
    std::ofstream(target) << "the old target";
    if (!disk.makeReadOnly()) GTEST_SKIP() << disk.why();
    convertTo(target);
    expectNotSavedAndSourceUntouched();
    EXPECT_EQ(fileContents(target), "the old target");
    EXPECT_EQ(disk.entries(), (std::vector<std::string>{"target.dxf"}));
}

}  // namespace
}  // namespace vrk::test
