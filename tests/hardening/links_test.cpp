// Links in the target are deleted as links: nothing they lead to changes,
// not its bytes, not its mode, not its time stamps, and no race between
// the status read and the write-back can redirect a mode change outside.
#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <functional>
#include <gtest/gtest.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

#include "hardening/hostile_run.h"
#include "hardening/layout.h"
#include "hardening/tree_snapshot.h"
#include "platform/afx.h"

namespace hardening {
namespace {

using testsupport::Exists;
using testsupport::MakeDirectory;
using testsupport::WriteFile;

bool IsRootOrCi()
{
    return geteuid() == 0 || std::getenv("CI") != nullptr;
}

struct LinkCase {
    const char *name;
    // Fills target and outside; returns the target's entries that must be
    // left (and reported).
    std::function<std::vector<std::string>(Layout &)> build;
    bool needsRoot = false;
    bool sharesInodes = false; // hard links: the link count goes down
};

void PrintTo(const LinkCase &c, std::ostream *os)
{
    *os << c.name;
}

std::vector<std::string> LinkToReadOnlyFile(Layout &l)
{
    WriteFile(l.Outside("kept"), "outside bytes", 0444);
    EXPECT_EQ(symlink(l.Outside("kept").c_str(), l.InTarget("link").c_str()), 0);
    return {};
}

std::vector<std::string> LinkToReadOnlyDirectory(Layout &l)
{
    MakeDirectory(l.Outside("dir"));
    WriteFile(l.Outside("dir/inside"), "x", 0444);
    chmod(l.Outside("dir").c_str(), 0555);
    EXPECT_EQ(symlink(l.Outside("dir").c_str(), l.InTarget("dirlink").c_str()), 0);
    EXPECT_EQ(symlink("../../outside/dir", l.InTarget("relative").c_str()), 0);
    return {};
}

std::vector<std::string> LinksToTargetItself(Layout &l)
{
    EXPECT_EQ(symlink(l.target.c_str(), l.InTarget("self").c_str()), 0);
    EXPECT_EQ(symlink(".", l.InTarget("dot").c_str()), 0);
    EXPECT_EQ(symlink("..", l.InTarget("up").c_str()), 0);
    return {};
}

std::vector<std::string> DanglingLink(Layout &l)
{
    EXPECT_EQ(symlink(l.Outside("missing").c_str(), l.InTarget("dangling").c_str()), 0);
    EXPECT_EQ(symlink("loop", l.InTarget("loop").c_str()), 0);
    return {};
}

// The write-back would change the mode that the outside name shares.
std::vector<std::string> HardLinkToReadOnlyFile(Layout &l)
{
    WriteFile(l.Outside("shared"), "shared bytes", 0444);
    EXPECT_EQ(link(l.Outside("shared").c_str(), l.InTarget("hard").c_str()), 0);
    WriteFile(l.Outside("shared-0000"), "no permissions at all", 0000);
    EXPECT_EQ(link(l.Outside("shared-0000").c_str(), l.InTarget("hard-0000").c_str()), 0);
    return {};
}

// A read-only outside file bound over an entry: the entry is that file, so
// its mode is not the tool's to change; the entry cannot be deleted.
std::vector<std::string> BindMountedReadOnlyFile(Layout &l)
{
    WriteFile(l.Outside("bound"), "bound bytes", 0444);
    WriteFile(l.InTarget("mountpoint"), "", 0644);
    EXPECT_EQ(mount(l.Outside("bound").c_str(), l.InTarget("mountpoint").c_str(), nullptr,
                    MS_BIND, nullptr),
              0)
        << std::strerror(errno);
    return {"mountpoint"};
}

class Links : public testing::TestWithParam<LinkCase> {};

TEST_P(Links, AreDeletedAsLinksAndLeaveTheirTargetsAlone)
{
    if (GetParam().needsRoot && !IsRootOrCi())
        GTEST_SKIP() << "needs root";
    Layout layout;
    std::vector<std::string> left = GetParam().build(layout);
    TreeSnapshot outside = TakeSnapshot(layout.outside);

    HostileResult run = RunTool(ArgsFor(layout));
    for (const auto &name : left)
        umount2(layout.InTarget(name).c_str(), MNT_DETACH);

    EXPECT_EQ(run.exitStatus, 0);
    EXPECT_EQ(DescribeDifferences(outside, TakeSnapshot(layout.outside), GetParam().sharesInodes),
              "");
    EXPECT_TRUE(IsReportFor(run.stderrText, layout, left)) << run.stderrText;
    EXPECT_EQ(Exists(layout.target), !left.empty());
    if (!left.empty()) {
        EXPECT_EQ(testsupport::ListDirectory(layout.target), left);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Hardening, Links,
    testing::Values(LinkCase{"SymlinkToReadOnlyFile", LinkToReadOnlyFile},
                    LinkCase{"SymlinkToReadOnlyDirectory", LinkToReadOnlyDirectory},
                    LinkCase{"SymlinksToTheTargetItself", LinksToTargetItself},
                    LinkCase{"DanglingAndLoopingSymlinks", DanglingLink},
                    LinkCase{"HardLinkToReadOnlyFile", HardLinkToReadOnlyFile, false, true},
                    LinkCase{"BindMountedReadOnlyFile", BindMountedReadOnlyFile, true}),
    [](const testing::TestParamInfo<LinkCase> &info) { return std::string(info.param.name); });

// The write-back placed exactly into the gap after the status read: the
// entry read is swapped for something else, and the write-back must not
// change that something's mode.
struct SwapCase {
    const char *name;
    // Swaps the entry and returns the path of what the entry now leads to.
    std::function<std::string(Layout &, const std::string &entry)> swap;
};

void PrintTo(const SwapCase &c, std::ostream *os)
{
    *os << c.name;
}

std::string SwapForSymlink(Layout &l, const std::string &entry)
{
    EXPECT_EQ(symlink(l.Outside("victim").c_str(), (entry + ".new").c_str()), 0);
    EXPECT_EQ(rename((entry + ".new").c_str(), entry.c_str()), 0);
    return l.Outside("victim");
}

std::string SwapForHardLink(Layout &l, const std::string &entry)
{
    EXPECT_EQ(link(l.Outside("victim").c_str(), (entry + ".new").c_str()), 0);
    EXPECT_EQ(rename((entry + ".new").c_str(), entry.c_str()), 0);
    return l.Outside("victim");
}

// Only the check against the entry the status read saw catches this one:
// a single-linked read-only file, but not the one that was read.
std::string SwapForAnotherFile(Layout &l, const std::string &entry)
{
    EXPECT_EQ(rename(l.Outside("victim").c_str(), entry.c_str()), 0);
    return entry;
}

class WriteBackAfterSwap : public testing::TestWithParam<SwapCase> {};

TEST_P(WriteBackAfterSwap, FailsAndChangesNothing)
{
    Layout layout;
    WriteFile(layout.Outside("victim"), "victim bytes", 0444);
    std::string entry = layout.InTarget("entry");
    WriteFile(entry, "read-only entry", 0444);

    CFileStatus status;
    ASSERT_TRUE(CFile::GetStatus(entry.c_str(), status));
    ASSERT_TRUE(status.m_attribute & CFile::readOnly);
    std::string victim = GetParam().swap(layout, entry);
    struct stat before;
    ASSERT_EQ(lstat(victim.c_str(), &before), 0);

    status.m_mtime = status.m_ctime = status.m_atime = 0;
    status.m_attribute &= static_cast<unsigned char>(~CFile::readOnly);
    bool failed = false;
    try {
        CFile::SetStatus(entry.c_str(), status);
    } catch (CFileException *e) {
        failed = true;
        e->Delete();
    }
    EXPECT_TRUE(failed);

    struct stat after;
    ASSERT_EQ(lstat(victim.c_str(), &after), 0);
    EXPECT_EQ(after.st_mode & 07777, 0444u);
    EXPECT_EQ(after.st_ctim.tv_nsec, before.st_ctim.tv_nsec);
    EXPECT_EQ(after.st_ctim.tv_sec, before.st_ctim.tv_sec);
}

INSTANTIATE_TEST_SUITE_P(
    Hardening, WriteBackAfterSwap,
    testing::Values(SwapCase{"ToSymlinkToOutsideFile", SwapForSymlink},
                    SwapCase{"ToHardLinkToOutsideFile", SwapForHardLink},
                    SwapCase{"ToAnotherReadOnlyFile", SwapForAnotherFile}),
    [](const testing::TestParamInfo<SwapCase> &info) { return std::string(info.param.name); });

// The control for the cases above: with no swap, the same write-back
// grants the owner write permission and changes nothing else.
TEST(WriteBack, WithoutSwapClearsOnlyTheReadOnlyBit)
{
    Layout layout;
    std::string entry = layout.InTarget("entry");
    WriteFile(entry, "bytes", 0444);
    CFileStatus status;
    ASSERT_TRUE(CFile::GetStatus(entry.c_str(), status));
    status.m_mtime = status.m_ctime = status.m_atime = 0;
    status.m_attribute &= static_cast<unsigned char>(~CFile::readOnly);
    EXPECT_NO_THROW(CFile::SetStatus(entry.c_str(), status));
    struct stat st;
    ASSERT_EQ(lstat(entry.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0644u);
}

// A racer swaps the target's read-only entries for links to a read-only
// outside file, over and over, while the tool runs again and again. The
// outside file's mode is never to change, whoever wins each race.
TEST(LinkRace, NeverRedirectsAModeChangeOutside)
{
    constexpr int kEntries = 64;
    const auto budget = std::chrono::seconds(12);
    testsupport::TempDir outsideRoot;
    std::string victim = outsideRoot / "victim";
    WriteFile(victim, "victim bytes", 0444);

    auto start = std::chrono::steady_clock::now();
    int runs = 0;
    while (runs < 3 || (std::chrono::steady_clock::now() - start < budget && runs < 40)) {
        Layout layout;
        for (int i = 0; i < kEntries; ++i)
            WriteFile(layout.InTarget("e" + std::to_string(i)), "x", 0444);
        std::atomic<bool> stop{false};
        std::thread racer([&] {
            for (unsigned n = 0; !stop; ++n) {
                std::string entry = layout.InTarget("e" + std::to_string(n % kEntries));
                std::string fresh = entry + ".t";
                unlink(fresh.c_str());
                if (n % 3 == 0) {
                    int fd = open(fresh.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0444);
                    if (fd == -1)
                        continue;
                    close(fd);
                } else if (n % 3 == 1) {
                    if (symlink(victim.c_str(), fresh.c_str()) != 0)
                        continue;
                } else if (link(victim.c_str(), fresh.c_str()) != 0) {
                    continue;
                }
                rename(fresh.c_str(), entry.c_str());
            }
        });
        HostileSetup setup;
        setup.timeout = std::chrono::seconds(60);
        HostileResult run = RunTool(ArgsFor(layout), setup);
        stop = true;
        racer.join();
        ++runs;
        ASSERT_FALSE(run.timedOut);
        ASSERT_EQ(run.exitStatus, 0);
        // Hard links come and go, so the change time moves; the mode and
        // the bytes must not.
        struct stat st;
        ASSERT_EQ(lstat(victim.c_str(), &st), 0);
        ASSERT_EQ(st.st_mode & 07777, 0444u) << "after run " << runs;
        ASSERT_EQ(testsupport::ReadFile(victim), "victim bytes");
    }
}

} // namespace
} // namespace hardening
