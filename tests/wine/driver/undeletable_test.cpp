// Entries that cannot be deleted: each costs one 3000 ms pause and one
// line, and the target and its parent then remain, one line each. The rest
// of the directory is emptied all the same.
#include <gtest/gtest.h>

#include <ostream>

#include <chrono>
#include <memory>

#include "leftover_tree.h"
#include "wine_process.h"

namespace winetest {
namespace {

using namespace std::chrono_literals;
using testsupport::Exists;

constexpr auto kPause = 3000ms;
// Starting the tool under Wine takes a moment; a second pause would not fit.
constexpr auto kMargin = 2900ms;

enum class Blocker { Subdirectory, FileHeldOpen };

struct UndeletableCase {
    const char *name;
    Blocker blocker;
};

// Failures name the case, not its bytes.
void PrintTo(const UndeletableCase &c, std::ostream *os)
{
    *os << c.name;
}

class Undeletable : public ::testing::TestWithParam<UndeletableCase> {};

TEST_P(Undeletable, CostsOnePauseAndOneLine)
{
    LeftoverTree tree;
    const std::string blocked = tree.target + "/blocked";
    testsupport::WriteFile(tree.target + "/plain.txt", "x");
    std::unique_ptr<WineProcess> holder;
    if (GetParam().blocker == Blocker::Subdirectory) {
        testsupport::MakeDirectory(blocked);
    } else {
        testsupport::WriteFile(blocked, "in use");
        holder = std::make_unique<WineProcess>(
            HelperExe("file_holder"), std::vector<std::string>{ToWindowsPath(blocked), "60000"});
        ASSERT_TRUE(holder->WaitForLine("ready", 30s)) << "the file could not be held open";
    }

    auto result = RunTool({tree.TargetArgument(), "Tarnwell Setup"});

    EXPECT_EQ(result.exitStatus, 0);
    EXPECT_EQ(result.stderrText,
              EntryLine("blocked") + DirectoryLine(tree.target) + DirectoryLine(tree.parent));
    EXPECT_GE(result.elapsed, kPause);
    EXPECT_LT(result.elapsed, kPause + kMargin);
    EXPECT_TRUE(Exists(blocked));
    EXPECT_FALSE(Exists(tree.target + "/plain.txt"));
    if (holder) {
        EXPECT_FALSE(holder->HasWrittenLine("closed")) << "the file was not held for the whole run";
    }
}

INSTANTIATE_TEST_SUITE_P(Wine, Undeletable,
                         ::testing::Values(UndeletableCase{"Subdirectory", Blocker::Subdirectory},
                                           UndeletableCase{"FileHeldOpen", Blocker::FileHeldOpen}),
                         [](const auto &info) { return std::string(info.param.name); });

}  // namespace
}  // namespace winetest
