// The waits a run costs: one 3000 ms pause per entry that cannot be
// deleted, and none at all when everything goes and no window is open.
#include <gtest/gtest.h>

#include "blackbox/cleanup_tree.h"
#include "blackbox/file_state.h"
#include "blackbox/tool_run.h"

namespace blackbox {
namespace {

using std::chrono::milliseconds;
using testsupport::Exists;
using testsupport::MakeDirectory;
using testsupport::WriteFile;

// A subdirectory with content and an immutable file: two pauses, two
// lines, and the subdirectory is left exactly as it was.
TEST(Timing, EachUndeletableEntryCostsOnePause)
{
    if (MaySkipWithoutRoot())
        GTEST_SKIP() << "needs root for the immutable flag";
    CleanupTree tree;
    std::string sub = tree.InTarget("sub dir");
    MakeDirectory(sub);
    WriteFile(sub + "/inner.txt", "inner", 0444);
    MakeDirectory(sub + "/nested");
    WriteFile(sub + "/nested/leaf", "leaf");
    std::string locked = tree.InTarget("locked.dat");
    WriteFile(locked, "locked");
    ASSERT_TRUE(testsupport::SetImmutable(locked, true)) << "chattr +i failed on " << locked;
    WriteFile(tree.InTarget("deletable"), "goes");
    auto subBefore = SnapshotTree(sub);
    auto lockedBefore = StateOf(locked);

    auto result = RunTool({tree.target, "Setup"});

    EXPECT_GE(result.elapsed, milliseconds(5800));
    EXPECT_LT(result.elapsed, milliseconds(6000 + 2500));
    EXPECT_EQ(result.exitStatus, 0);
    EXPECT_EQ(result.stdoutText, "");
    std::string directoryLines = DirectoryLine(tree.target) + DirectoryLine(tree.parent);
    const std::string &err = result.stderrText;
    ASSERT_GE(err.size(), directoryLines.size()) << err;
    EXPECT_EQ(err.substr(err.size() - directoryLines.size()), directoryLines) << err;
    EXPECT_TRUE(IsSomeOrderOf(err.substr(0, err.size() - directoryLines.size()),
                              {FileLine("sub dir"), FileLine("locked.dat")}))
        << err;
    EXPECT_EQ(SnapshotTree(sub), subBefore);
    EXPECT_EQ(StateOf(locked), lockedBefore);
    EXPECT_FALSE(Exists(tree.InTarget("deletable")));
}

TEST(Timing, DeletableRunWithoutWindowStartsAtOnce)
{
    CleanupTree tree;
    for (int i = 0; i < 20; ++i)
        WriteFile(tree.InTarget("file" + std::to_string(i)), "x", i % 2 == 0 ? 0644 : 0444);

    auto result = RunTool({tree.target, "Setup"});

    EXPECT_LT(result.elapsed, milliseconds(2000));
    EXPECT_EQ(result.exitStatus, 0);
    EXPECT_EQ(result.stderrText, "");
    EXPECT_FALSE(Exists(tree.parent));
}

} // namespace
} // namespace blackbox
