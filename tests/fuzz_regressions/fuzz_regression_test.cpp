// Replays the named inputs in this folder (*.dxf) through the fuzzer's round trips: each once crashed
// or broke a check.

#include <dirent.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <string>
#include <vector>

#include "fuzz/database_roundtrip.h"
#include "fuzz/roundtrip.h"
#include "tests/support/file_contents.h"
#include "tests/support/temp_folder.h"

namespace {

using vrk::test::fileContents;

std::vector<std::string> dxfFiles(const std::string& folder) {
    std::vector<std::string> out;
    if (DIR* d = opendir(folder.c_str())) {
        while (dirent* e = readdir(d)) {
            const std::string n = e->d_name;
            if (n.size() > 4 && n.compare(n.size() - 4, 4, ".dxf") == 0) out.push_back(n);
        }
        closedir(d);
    }
    std::sort(out.begin(), out.end());
    return out;
}

class FuzzRegression : public ::testing::TestWithParam<std::string> {};

TEST_P(FuzzRegression, PassesBothRoundTrips) {
    const std::string bytes = fileContents(std::string(VRK_FUZZ_REGRESSIONS_DIR) + "/" + GetParam());
    ASSERT_FALSE(bytes.empty()) << GetParam();
    EXPECT_EQ(vrk::fuzz::checkDxfRoundTrip(bytes), "");
    vrk::test::TempFolder folder;
    EXPECT_EQ(vrk::fuzz::checkDatabaseRoundTrip(bytes, folder.path()), "");
}

std::string testName(const ::testing::TestParamInfo<std::string>& info) {
    std::string name = info.param.substr(0, info.param.size() - 4);
    for (char& c : name) {
        if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
    }
    return name;
}

INSTANTIATE_TEST_SUITE_P(Inputs, FuzzRegression, ::testing::ValuesIn(dxfFiles(VRK_FUZZ_REGRESSIONS_DIR)), testName);
GTEST_ALLOW_UNINSTANTIATED_PARAMETERIZED_TEST(FuzzRegression);

// The checks must not pass by refusing everything: the bundled sample reads, edits and saves.
TEST(FuzzRoundTrips, TheSampleGoesAllTheWay) {
    const std::string bytes = fileContents(std::string(VRK_SAMPLES_DIR) + "/dynblocks.dxf");
    ASSERT_FALSE(bytes.empty());
    EXPECT_EQ(vrk::fuzz::checkDxfRoundTrip(bytes), "");
    vrk::test::TempFolder folder;
    EXPECT_EQ(vrk::fuzz::checkDatabaseRoundTrip(bytes, folder.path()), "");
    EXPECT_FALSE(fileContents(folder.path() + "/out.dxf").empty());
}

// A check that cannot fail catches nothing: bytes that are not a drawing are refused with a reason.
TEST(FuzzRoundTrips, RefusedInputIsNoFailure) {
    EXPECT_EQ(vrk::fuzz::checkDxfRoundTrip(""), "");
    EXPECT_EQ(vrk::fuzz::checkDxfRoundTrip("  0\nSECTION\n"), "");
}

}  // namespace
