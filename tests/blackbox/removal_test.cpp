// Removing the emptied target and its parent: each only when empty, never
// recursively, and by its full path however long that is.
#include <gtest/gtest.h>

#include "blackbox/cleanup_tree.h"
#include "blackbox/file_state.h"
#include "blackbox/tool_run.h"

namespace blackbox {
namespace {

using testsupport::Exists;
using testsupport::MakeDirectory;
using testsupport::WriteFile;

// A parent path well past 260 characters.
std::string LongParentName()
{
    std::string name;
    for (int i = 0; i < 6; ++i)
        name += (i == 0 ? "" : "/") + std::string(60, static_cast<char>('a' + i));
    return name;
}

struct RemovalCase {
    const char *name;
    std::string parentName;
    bool otherContentInParent;
    bool parentImmutable;  // the target cannot be removed from it
    bool targetRemains;
    bool parentRemains;
};

// Named in test output by its case name, not its bytes.
void PrintTo(const RemovalCase &c, std::ostream *out) { *out << c.name; }

std::vector<RemovalCase> RemovalCases()
{
    return {
        {"EmptyParent", "parent", false, false, false, false},
        {"ParentWithOtherContent", "parent", true, false, false, true},
        {"ImmutableParent", "parent", false, true, true, true},
        {"LongPathEmptyParent", LongParentName(), false, false, false, false},
        {"LongPathParentWithOtherContent", LongParentName(), true, false, false, true},
        {"LongPathImmutableParent", LongParentName(), false, true, true, true},
    };
}

class Removal : public ::testing::TestWithParam<RemovalCase> {};

TEST_P(Removal, RemovesOnlyEmptyDirectoriesAndReportsTheRestByFullPath)
{
    const RemovalCase &c = GetParam();
    if (c.parentImmutable && MaySkipWithoutRoot())
        GTEST_SKIP() << "needs root for the immutable flag";
    CleanupTree tree(c.parentName);
    WriteFile(tree.InTarget("setup.ini"), "[setup]");
    WriteFile(tree.InTarget("readonly.dll"), "MZ", 0444);
    if (c.otherContentInParent) {
        WriteFile(tree.parent + "/other.txt", "other");
        MakeDirectory(tree.parent + "/other dir");
        WriteFile(tree.parent + "/other dir/inner", "inner");
    }
    if (c.parentImmutable) {
        ASSERT_TRUE(testsupport::SetImmutable(tree.parent, true));
    }
    auto parentBefore = SnapshotTree(tree.parent);

    auto result = RunTool({tree.target, "Setup"});

    std::string expected;
    if (c.targetRemains)
        expected += DirectoryLine(tree.target);
    if (c.parentRemains)
        expected += DirectoryLine(tree.parent);
    EXPECT_EQ(result.exitStatus, 0);
    EXPECT_EQ(result.stderrText, expected);
    EXPECT_EQ(result.stdoutText, "");
    EXPECT_EQ(Exists(tree.target), c.targetRemains);
    EXPECT_EQ(Exists(tree.parent), c.parentRemains);
    if (c.targetRemains) {
        EXPECT_TRUE(testsupport::ListDirectory(tree.target).empty());
    }
    if (c.otherContentInParent) {
        auto parentAfter = SnapshotTree(tree.parent);
        for (auto *snapshot : {&parentBefore, &parentAfter}) {
            snapshot->erase("");  // the parent itself lost the target
            for (auto it = snapshot->begin(); it != snapshot->end();)
                it = it->first.rfind("target", 0) == 0 ? snapshot->erase(it) : std::next(it);
        }
        EXPECT_EQ(parentAfter, parentBefore);
    }
    EXPECT_TRUE(Exists(tree.root));
}

INSTANTIATE_TEST_SUITE_P(Directories, Removal, ::testing::ValuesIn(RemovalCases()),
                         [](const auto &info) { return std::string(info.param.name); });

} // namespace
} // namespace blackbox
