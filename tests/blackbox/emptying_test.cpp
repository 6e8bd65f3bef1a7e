// Emptying the target: every kind of entry a leftover directory can hold,
// each in its own target, with everything outside the target watched.
#include <cstring>
#include <dirent.h>
#include <functional>
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include "blackbox/cleanup_tree.h"
#include "blackbox/file_state.h"
#include "blackbox/tool_run.h"

namespace blackbox {
namespace {

using testsupport::Exists;
using testsupport::MakeDirectory;
using testsupport::WriteFile;

void Symlink(const std::string &to, const std::string &at)
{
    ASSERT_EQ(symlink(to.c_str(), at.c_str()), 0) << at;
}

void MakeSocket(const std::string &path)
{
    int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    ASSERT_GE(fd, 0);
    sockaddr_un address = {};
    address.sun_family = AF_UNIX;
    ASSERT_LT(path.size(), sizeof address.sun_path) << "socket path too long: " << path;
    std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
    EXPECT_EQ(bind(fd, reinterpret_cast<sockaddr *>(&address), sizeof address), 0);
    close(fd);
    EXPECT_EQ(chmod(path.c_str(), 0444), 0);
}

// The names in the order the directory lists them, dots included.
std::vector<std::string> RawListing(const std::string &path)
{
    std::vector<std::string> names;
    if (DIR *dir = opendir(path.c_str())) {
        while (const dirent *entry = readdir(dir))
            names.emplace_back(entry->d_name);
        closedir(dir);
    }
    return names;
}

// Files until the directory lists a file, not a dot entry, last: that
// entry is the one a walk without look-ahead would drop.
void FillUntilFileIsListedLast(const std::string &target)
{
    for (int i = 0; i < 1000; ++i) {
        WriteFile(target + "/file" + std::to_string(i), "x", i % 2 == 0 ? 0644 : 0444);
        auto names = RawListing(target);
        if (i >= 20 && names.back() != "." && names.back() != "..")
            return;
    }
    FAIL() << "the directory always lists a dot entry last";
}

struct EntryCase {
    const char *name;
    // Makes the entry in target; whatever it points at goes into outside.
    std::function<void(const std::string &target, const std::string &outside)> make;
    // A hard link shares the inode with outside: unlinking moves its ctime.
    bool outsideCtimeMoves = false;
};

// Named in test output by its case name, not its bytes.
void PrintTo(const EntryCase &c, std::ostream *out) { *out << c.name; }

std::vector<EntryCase> EntryCases()
{
    auto file = [](const std::string &name, unsigned mode) {
        return [name, mode](const std::string &target, const std::string &) {
            WriteFile(target + "/" + name, "content of " + name, mode);
        };
    };
    return {
        {"RegularFile", file("setup.ini", 0644)},
        {"ReadOnlyFile", file("readme.txt", 0444)},
        {"NoPermissionsFile", file("locked.bin", 0000)},
        {"ReadOnlyExecutable", file("uninstall", 04555)},
        {"HiddenFile", file(".hidden", 0644)},
        {"HiddenReadOnlyFile", file(".config", 0400)},
        {"NameWithBlanks", file(" name with  blanks .txt ", 0644)},
        {"NameWithLineFeed", file("line\nfeed", 0444)},
        {"NameNotUtf8", file("caf\xe9-\xff\xfe.txt", 0644)},
        {"NameStartingWithDash", file("-rf", 0444)},
        {"NameWithGlobCharacters", file("*.*?[a]", 0644)},
        {"LongestName", file(std::string(251, 'n') + ".ini", 0444)},
        {"EmptyFile",
         [](const std::string &target, const std::string &) { WriteFile(target + "/empty", ""); }},
        {"ReadOnlyFileWithHardLinkOutside",
         [](const std::string &target, const std::string &outside) {
             WriteFile(outside + "/shared", "shared content", 0444);
             ASSERT_EQ(link((outside + "/shared").c_str(), (target + "/shared").c_str()), 0);
         },
         true},
        {"LinkToReadOnlyFile",
         [](const std::string &target, const std::string &outside) {
             WriteFile(outside + "/data", "data", 0444);
             Symlink(outside + "/data", target + "/to-file");
         }},
        {"LinkToReadOnlyDirectory",
         [](const std::string &target, const std::string &outside) {
             MakeDirectory(outside + "/dir");
             WriteFile(outside + "/dir/inside", "inside");
             chmod((outside + "/dir").c_str(), 0555);
             Symlink(outside + "/dir", target + "/to-dir");
         }},
        {"LinksToTargetItself",
         [](const std::string &target, const std::string &) {
             Symlink(target, target + "/self");
             Symlink(".", target + "/dot");
             Symlink("..", target + "/up");
         }},
        {"DanglingLink",
         [](const std::string &target, const std::string &outside) {
             Symlink(outside + "/nothing", target + "/dangling");
         }},
        {"ReadOnlyFifo",
         [](const std::string &target, const std::string &) {
             ASSERT_EQ(mkfifo((target + "/fifo").c_str(), 0444), 0);
         }},
        {"ReadOnlySocket",
         [](const std::string &target, const std::string &) { MakeSocket(target + "/sock"); }},
        {"LastListedEntry",
         [](const std::string &target, const std::string &) { FillUntilFileIsListedLast(target); }},
    };
}

class Emptying : public ::testing::TestWithParam<EntryCase> {};

TEST_P(Emptying, DeletesEntryAndLeavesOutsideAlone)
{
    const EntryCase &c = GetParam();
    CleanupTree tree;
    std::string outside = tree.InRoot("outside");
    MakeDirectory(outside);
    c.make(tree.target, outside);
    if (HasFatalFailure())
        return;
    ASSERT_FALSE(testsupport::ListDirectory(tree.target).empty());
    auto outsideBefore = SnapshotTree(outside);

    auto result = RunTool({tree.target, "Setup"});

    EXPECT_EQ(result.exitStatus, 0);
    EXPECT_EQ(result.stderrText, "");
    EXPECT_EQ(result.stdoutText, "");
    EXPECT_FALSE(Exists(tree.target));
    EXPECT_FALSE(Exists(tree.parent));
    auto outsideAfter = SnapshotTree(outside);
    if (c.outsideCtimeMoves) {
        for (auto &[name, state] : outsideAfter)
            state.ctimeNs = outsideBefore[name].ctimeNs;
    }
    EXPECT_EQ(outsideAfter, outsideBefore);
}

INSTANTIATE_TEST_SUITE_P(Entries, Emptying, ::testing::ValuesIn(EntryCases()),
                         [](const auto &info) { return std::string(info.param.name); });

// Entries that cannot be deleted: each costs a pause (3 s) and its line, so
// there are few of them.

// A read-only subdirectory is made writable for its owner, nothing more,
// and neither entered nor removed.
TEST(UndeletableEntry, ReadOnlySubdirectoryGainsOwnerWriteOnly)
{
    CleanupTree tree;
    std::string sub = tree.InTarget("Data Files");
    MakeDirectory(sub);
    WriteFile(sub + "/inner.dat", "inner", 0444);
    MakeDirectory(sub + "/deeper");
    WriteFile(sub + "/deeper/leaf", "leaf");
    ASSERT_EQ(chmod(sub.c_str(), 02555), 0);
    auto before = SnapshotTree(sub);

    auto result = RunTool({tree.target, "Setup"});

    EXPECT_EQ(result.exitStatus, 0);
    EXPECT_EQ(result.stderrText, FileLine("Data Files") + DirectoryLine(tree.target) +
                                     DirectoryLine(tree.parent));
    EXPECT_EQ(result.stdoutText, "");
    auto after = SnapshotTree(sub);
    EXPECT_EQ(after[""].mode, before[""].mode | S_IWUSR);
    after.erase("");
    before.erase("");
    EXPECT_EQ(after, before) << "the subdirectory's content changed";
}

// An immutable read-only file: its mode cannot be changed, so it is not
// even offered for deletion; its odd name is written byte for byte.
TEST(UndeletableEntry, ImmutableFileIsReportedByItsExactName)
{
    if (MaySkipWithoutRoot())
        GTEST_SKIP() << "needs root for the immutable flag";
    CleanupTree tree;
    const std::string name = " setup \xff\xfe.log\nsecond line";
    std::string path = tree.InTarget(name);
    WriteFile(path, "log", 0444);
    ASSERT_TRUE(testsupport::SetImmutable(path, true)) << "chattr +i failed on " << path;
    auto before = StateOf(path);

    auto result = RunTool({tree.target, "Setup"});

    EXPECT_EQ(result.exitStatus, 0);
    EXPECT_EQ(result.stderrText,
              FileLine(name) + DirectoryLine(tree.target) + DirectoryLine(tree.parent));
    EXPECT_EQ(result.stdoutText, "");
    ASSERT_TRUE(Exists(path));
    EXPECT_EQ(StateOf(path), before);
}

} // namespace
} // namespace blackbox
