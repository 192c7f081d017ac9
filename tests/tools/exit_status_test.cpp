// README.md's table of exit statuses says what the programs' table (tools/options/exit_status.h) says.
#include <gtest/gtest.h>

#include <string>

#include "tests/support/run_program.h"
#include "tools/options/exit_status.h"

namespace vrk::test {
namespace {

using namespace vrk::options;

TEST(ExitStatusTest, ReadmeTableIsTheProgramsTable) {
    std::string table = "| status | name | programs | meaning |\n|---:|---|---|---|\n";
    for (const ExitStatusRow& row : kExitStatuses) {
        std::string programs;
        for (const auto& [bit, name] :
             {std::pair{kVrkhost, "vrkhost"}, std::pair{kVrkconvert, "vrkconvert"}, std::pair{kVrkbatch, "vrkbatch"}})
            if ((row.programs & bit) != 0) programs += (programs.empty() ? "" : ", ") + std::string(name);
        table += "| " + std::to_string(row.status) + " | " + row.name + " | " + programs + " | " + row.meaning + " |\n";
    }
    const std::string readme = fileContents(VRK_README);
    ASSERT_FALSE(readme.empty()) << VRK_README;
    EXPECT_NE(readme.find(table), std::string::npos) << "README.md should hold this table:\n" << table;
}

}  // namespace
}  // namespace vrk::test
