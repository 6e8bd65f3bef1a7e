// The command line: too short a one ends the run at once with status 1
// and touches nothing; a target that cannot be entered still leads to the
// removal of the start directory and its parent.
#include <gtest/gtest.h>

#include <ostream>

#include "leftover_tree.h"

namespace winetest {
namespace {

using testsupport::Exists;

struct ShortCommandLine {
    const char *name;
    bool withTarget;  // the target directory as the only argument
};

// Failures name the case, not its bytes.
void PrintTo(const ShortCommandLine &c, std::ostream *os)
{
    *os << c.name;
}

class CommandLine : public ::testing::TestWithParam<ShortCommandLine> {};

TEST_P(CommandLine, TooShortEndsWithStatusOneAndTouchesNothing)
{
    LeftoverTree tree;
    testsupport::WriteFile(tree.target + "/setup.ini", "x");
    std::vector<std::string> args;
    if (GetParam().withTarget)
        args.push_back(tree.TargetArgument());

    testsupport::RunOptions options;
    options.workingDirectory = tree.target;
    auto result = RunTool(args, options);

    EXPECT_EQ(result.exitStatus, 1);
    EXPECT_EQ(result.stderrText, "");
    EXPECT_EQ(result.stdoutText, "");
    EXPECT_TRUE(Exists(tree.target + "/setup.ini"));
}

INSTANTIATE_TEST_SUITE_P(Wine, CommandLine,
                         ::testing::Values(ShortCommandLine{"NoArguments", false},
                                           ShortCommandLine{"TargetOnly", true}),
                         [](const auto &info) { return std::string(info.param.name); });

// A target that does not exist is not entered: no programs, no deletions,
// and the directory the tool was started in is offered for removal with
// its parent. Both are empty here, so both go.
TEST(CommandLineTarget, MissingTargetRemovesTheStartDirectoryAndItsParent)
{
    LeftoverTree tree;
    testsupport::WriteFile(tree.parent + "/keep.txt", "x");
    std::string start = tree.base / "elsewhere";
    std::string startParent = start;
    start += "/start";
    testsupport::MakeDirectory(startParent);
    testsupport::MakeDirectory(start);

    testsupport::RunOptions options;
    options.workingDirectory = start;
    auto result = RunTool({ToWindowsPath(tree.target + "/missing"), "No Setup"}, options);

    EXPECT_EQ(result.exitStatus, 0);
    EXPECT_EQ(result.stderrText, "");
    EXPECT_FALSE(Exists(start));
    EXPECT_FALSE(Exists(startParent));
    EXPECT_TRUE(Exists(tree.parent + "/keep.txt"));
}

}  // namespace
}  // namespace winetest
