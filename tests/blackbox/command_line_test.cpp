// The command-line shapes: what a short line leaves alone, how the target
// path is taken, and what happens when the target cannot be entered.
#include <functional>
#include <gtest/gtest.h>
#include <unistd.h>

#include "blackbox/cleanup_tree.h"
#include "blackbox/file_state.h"
#include "blackbox/tool_run.h"

namespace blackbox {
namespace {

using testsupport::Exists;
using testsupport::MakeDirectory;
using testsupport::WriteFile;

// The target holds a file; the tool starts in an empty directory inside an
// otherwise empty one, so a run that wrongly removed its start directory
// and that one's parent would show.
struct ShapeTree : CleanupTree {
    ShapeTree()
    {
        WriteFile(InTarget("setup.ini"), "[setup]\n");
        WriteFile(InTarget("readonly.dll"), "MZ", 0444);
        MakeDirectory(InRoot("elsewhere"));
        MakeDirectory(start);
    }
    std::string start = InRoot("elsewhere/start");
};

struct ShapeCase {
    const char *name;
    std::function<std::vector<std::string>(const ShapeTree &)> args;
    std::function<std::string(const ShapeTree &)> startDirectory;
    int exitStatus;
    bool cleanedUp;  // target emptied and removed, and its parent
};

// Named in test output by its case name, not its bytes.
void PrintTo(const ShapeCase &c, std::ostream *out) { *out << c.name; }

std::string StartDir(const ShapeTree &t) { return t.start; }
std::string Parent(const ShapeTree &t) { return t.parent; }

std::vector<ShapeCase> ShapeCases()
{
    return {
        // Fewer than three arguments: nothing is done at all.
        {"ProgramNameOnly", [](const ShapeTree &) { return std::vector<std::string>{}; },
         StartDir, 1, false},
        {"TargetWithoutTitle",
         [](const ShapeTree &t) { return std::vector<std::string>{t.target}; }, StartDir, 1,
         false},
        // Three arguments: no follow-up program, straight to the clean-up.
        {"TargetAndTitle",
         [](const ShapeTree &t) { return std::vector<std::string>{t.target, "Setup"}; },
         StartDir, 0, true},
        {"EmptyTitle", [](const ShapeTree &t) { return std::vector<std::string>{t.target, ""}; },
         StartDir, 0, true},
        {"TrailingSlash",
         [](const ShapeTree &t) { return std::vector<std::string>{t.target + "/", "Setup"}; },
         StartDir, 0, true},
        // Relative targets are taken from the directory the tool starts in.
        {"RelativeTarget",
         [](const ShapeTree &) { return std::vector<std::string>{"target", "Setup"}; }, Parent,
         0, true},
        {"RelativeTargetThroughDotDot",
         [](const ShapeTree &) {
             return std::vector<std::string>{"../../parent/./target", "Setup"};
         },
         StartDir, 0, true},
    };
}

class CommandLine : public ::testing::TestWithParam<ShapeCase> {};

TEST_P(CommandLine, DoesExactlyWhatItsShapeAsks)
{
    const ShapeCase &c = GetParam();
    ShapeTree tree;
    auto before = SnapshotTree(tree.root);
    auto elsewhereBefore = SnapshotTree(tree.InRoot("elsewhere"));
    testsupport::RunOptions options;
    options.workingDirectory = c.startDirectory(tree);

    auto result = RunTool(c.args(tree), options);

    EXPECT_EQ(result.exitStatus, c.exitStatus);
    EXPECT_EQ(result.stderrText, "");
    EXPECT_EQ(result.stdoutText, "");
    if (c.cleanedUp) {
        EXPECT_FALSE(Exists(tree.target));
        EXPECT_FALSE(Exists(tree.parent));
        EXPECT_EQ(SnapshotTree(tree.InRoot("elsewhere")), elsewhereBefore);
    } else {
        EXPECT_EQ(SnapshotTree(tree.root), before);
    }
}

INSTANTIATE_TEST_SUITE_P(Shapes, CommandLine, ::testing::ValuesIn(ShapeCases()),
                         [](const auto &info) { return std::string(info.param.name); });

// A target that cannot be entered: no program runs, nothing is emptied, and
// the removal starts from the directory the tool was started in.
struct UnenterableCase {
    const char *name;
    std::function<std::string(const CleanupTree &)> target;
};

void PrintTo(const UnenterableCase &c, std::ostream *out) { *out << c.name; }

// Each target is made inside root/things, which must be left as it was.
std::vector<UnenterableCase> UnenterableCases()
{
    return {
        {"Missing", [](const CleanupTree &t) { return t.InRoot("things/missing"); }},
        {"EmptyPath", [](const CleanupTree &) { return std::string(); }},
        {"RegularFile",
         [](const CleanupTree &t) {
             WriteFile(t.InRoot("things/file"), "not a directory");
             return t.InRoot("things/file");
         }},
        {"BelowRegularFile",
         [](const CleanupTree &t) {
             WriteFile(t.InRoot("things/file"), "not a directory");
             return t.InRoot("things/file/sub");
         }},
        {"DanglingLink",
         [](const CleanupTree &t) {
             EXPECT_EQ(symlink("nowhere", t.InRoot("things/dangling").c_str()), 0);
             return t.InRoot("things/dangling");
         }},
    };
}

class UnenterableTarget : public ::testing::TestWithParam<UnenterableCase> {};

// The tool starts in grand/parent/target, empty in an otherwise empty
// parent: both of those go, and nothing else.
TEST_P(UnenterableTarget, RemovesStartDirectoryAndItsParentOnly)
{
    CleanupTree tree("grand/parent");
    MakeDirectory(tree.InRoot("things"));
    std::string target = GetParam().target(tree);
    auto thingsBefore = SnapshotTree(tree.InRoot("things"));
    std::string log = tree.InRoot("probe.log");
    testsupport::RunOptions options;
    options.workingDirectory = tree.target;
    options.env["PROBE_LOG"] = log;

    auto result = RunTool({target, "Setup", ProbePath()}, options);

    EXPECT_EQ(result.exitStatus, 0);
    EXPECT_EQ(result.stderrText, "");
    EXPECT_EQ(result.stdoutText, "");
    EXPECT_FALSE(Exists(tree.target));
    EXPECT_FALSE(Exists(tree.parent));
    EXPECT_TRUE(Exists(tree.InRoot("grand")));
    EXPECT_FALSE(Exists(log)) << "a follow-up program was started";
    EXPECT_EQ(SnapshotTree(tree.InRoot("things")), thingsBefore);
}

INSTANTIATE_TEST_SUITE_P(Targets, UnenterableTarget, ::testing::ValuesIn(UnenterableCases()),
                         [](const auto &info) { return std::string(info.param.name); });

// Nothing in the start directory is deleted; both directories are reported.
TEST(UnenterableTargetFromFullStart, ReportsStartDirectoryAndParentAndEmptiesNothing)
{
    CleanupTree tree;
    std::string start = tree.target;
    WriteFile(tree.InTarget("keep.txt"), "kept", 0444);
    WriteFile(tree.parent + "/beside.txt", "kept too");
    auto before = SnapshotTree(tree.root);
    testsupport::RunOptions options;
    options.workingDirectory = start;

    auto result = RunTool({tree.InRoot("missing"), "Setup"}, options);

    EXPECT_EQ(result.exitStatus, 0);
    EXPECT_EQ(result.stderrText, DirectoryLine(start) + DirectoryLine(tree.parent));
    EXPECT_EQ(result.stdoutText, "");
    EXPECT_EQ(SnapshotTree(tree.root), before);
}

} // namespace
} // namespace blackbox
