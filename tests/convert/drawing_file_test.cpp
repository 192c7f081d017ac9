// The host's drawing files as a user meets them: a save never overwrites what another program saved
// since the drawing was read, and a narrow host never takes a name its code page cannot hold.

#include <cstdio>
#include <fstream>
#include <functional>

#include "emulator/db/drawing_files.h"
#include "tests/support/drawing_text.h"
#include "tests/support/host_fixture.h"
#include "tests/support/run_program.h"
#include "tests/support/temp_folder.h"

namespace vrk::test {
namespace {

class DrawingFileTest : public HostTest {
protected:
    void SetUp() override {
        HostTest::SetUp();
        path = folder.file("drawing.dxf");
        DrawingText().writeTo(path);
    }
    Acad::ErrorStatus saveAs(AcDbDatabase& db, const std::string& file) {
        return db.saveAs(vrk::emu::toHost(file).c_str());
    }

    TempFolder folder;
    std::string path;
};

TEST_F(DrawingFileTest, SaveRefusesAFileAnotherProgramChangedSinceItWasRead) {
    const std::string other = folder.file("other.dxf");
    DrawingText changed;
    changed.layers.push_back({"Theirs"});
    const std::string theirs = changed.text();
    // What another program may have done to the file since it was read.
    const std::function<void()> changes[] = {
        [&] { std::ofstream(path, std::ios::binary | std::ios::trunc) << theirs; },  // written in place
        [&] {
            std::ofstream(other, std::ios::binary) << theirs;
            std::remove(path.c_str());
            std::rename(other.c_str(), path.c_str());  // a new file put in its place
        },
    };
    for (const auto& change : changes) {
        DrawingText().writeTo(path);
        AcDbDatabase db(false, true);
        ASSERT_EQ(db.readDwgFile(vrk::emu::toHost(path).c_str()), Acad::eOk);
        // Our own saves do not count as changes.
        ASSERT_EQ(saveAs(db, path), Acad::eOk) << vrk::emu::lastDrawingFileReason();
        ASSERT_EQ(saveAs(db, path), Acad::eOk) << vrk::emu::lastDrawingFileReason();
        change();
        EXPECT_EQ(saveAs(db, path), Acad::eFileSharingViolation);
        EXPECT_NE(vrk::emu::lastDrawingFileReason().find("changed on disk by another program"), std::string::npos)
            << vrk::emu::lastDrawingFileReason();
        EXPECT_TRUE(fileContents(path) == theirs);
        EXPECT_EQ(saveAs(db, folder.file("mine.dxf")), Acad::eOk) << vrk::emu::lastDrawingFileReason();
        std::remove(folder.file("mine.dxf").c_str());
    }
}

// 'ก' is in none of the ANSI code pages of the system locales modelled (1252, 936, 950).
TEST_F(DrawingFileTest, NarrowHostTakesOnlyWhatItsCodePageHolds) {
    const std::string name = folder.file("\xE0\xB8\x81.dxf");
    vrk::emu::HostString text;
#if defined(UNICODE)
    EXPECT_TRUE(vrk::emu::toHostExactly(name, text));
    EXPECT_EQ(vrk::emu::fromHost(text.c_str()), name);
#else
    if (GetACP() == CP_UTF8) GTEST_SKIP() << "the ANSI code page is UTF-8 here, which holds every name";
    EXPECT_FALSE(vrk::emu::toHostExactly(name, text));
    EXPECT_TRUE(text.empty());
    EXPECT_TRUE(vrk::emu::toHostExactly(folder.file("plain.dxf"), text));
    // A typed answer is refused too, rather than handed on with '?' in it.
    vrk::emu::queueInput(name);
    ACHAR answer[133] = {};
    EXPECT_EQ(acedGetString(0, ACRX_T("File: "), answer), RTREJ);
    // With what to do instead (--lcid, where the locale is the host's to choose, or a wide release).
    EXPECT_NE(transcript().find("a 2007 or 2008"), std::string::npos) << transcript();
#endif
}

}  // namespace
}  // namespace vrk::test
