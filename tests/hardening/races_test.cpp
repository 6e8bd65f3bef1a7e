// Entries that come and go while the walk runs, and a listing that fails
// part-way: one attempt per entry at most, nothing outside touched, and
// the run always ends.
#include <atomic>
#include <cstdio>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <map>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

#include "hardening/hostile_run.h"
#include "hardening/layout.h"
#include "platform/afx.h"

namespace hardening {
namespace {

// The racer competes with the tool for the same names: a call that loses
// the race fails, and that is part of the test.
void ExpectRace(int /*result*/) {}

// The directory is removed after its first entries were read: the next
// read fails (ENOENT on a removed directory) and ends the listing as its
// end would, with every entry already made current still valid.
TEST(DirectoryRead, FailingPartWayEndsTheListing)
{
    testsupport::TempDir root;
    std::string dir = root / "listing";
    testsupport::MakeDirectory(dir);
    constexpr int kEntries = 4000; // several reads' worth of entries
    for (int i = 0; i < kEntries; ++i)
        close(open((dir + "/entry-" + std::to_string(i)).c_str(), O_WRONLY | O_CREAT, 0644));

    CFileFind finder;
    ASSERT_TRUE(finder.FindFile((dir + "/*.*").c_str()));
    ASSERT_TRUE(finder.FindNextFile());
    for (int i = 0; i < kEntries; ++i)
        unlink((dir + "/entry-" + std::to_string(i)).c_str());
    ASSERT_EQ(rmdir(dir.c_str()), 0);

    int seen = 1;
    while (finder.FindNextFile()) {
        ASSERT_NE(finder.GetFileName()[0], '\0');
        ASSERT_LT(++seen, kEntries + 2);
    }
    EXPECT_NE(finder.GetFileName()[0], '\0');
    EXPECT_LT(seen, kEntries) << "the listing did not stop at the failed read";
    finder.Close();
}

// A racer adds files and links (to a read-only outside file) to the target
// and deletes two of its entries while the tool walks it.
TEST(WalkRace, EndsWithEachEntryTriedAtMostOnceAndNothingOutsideChanged)
{
    for (int round = 0; round < 3; ++round) {
        Layout layout;
        std::string victim = layout.Outside("victim");
        testsupport::WriteFile(victim, "victim bytes", 0444);
        for (int i = 0; i < 400; ++i)
            testsupport::WriteFile(layout.InTarget("old-" + std::to_string(i)), "x",
                                   i % 2 ? 0444 : 0644);
        std::atomic<bool> stop{false};
        std::thread racer([&] {
            for (unsigned n = 0; !stop && n < 20000; ++n) {
                std::string name = layout.InTarget("new-" + std::to_string(n));
                if (n % 3 == 0)
                    close(open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0444));
                else if (n % 3 == 1)
                    ExpectRace(symlink(victim.c_str(), name.c_str()));
                else
                    ExpectRace(link(victim.c_str(), name.c_str()));
                if (n == 200 || n == 400)
                    unlink(layout.InTarget("old-" + std::to_string(n)).c_str());
            }
        });
        HostileSetup setup;
        setup.timeout = std::chrono::seconds(40);
        HostileResult run = RunTool(ArgsFor(layout), setup);
        stop = true;
        racer.join();

        ASSERT_FALSE(run.timedOut);
        EXPECT_EQ(run.exitStatus, 0);
        std::map<std::string, int> lines;
        std::size_t at = 0;
        for (std::size_t end; (end = run.stderrText.find('\n', at)) != std::string::npos;
             at = end + 1)
            ++lines[run.stderrText.substr(at, end + 1 - at)];
        for (const auto &[line, count] : lines) {
            EXPECT_EQ(count, 1) << line;
            bool expected = line == EntryLine("old-200") || line == EntryLine("old-400") ||
                            line == DirectoryLine(layout.target) ||
                            line == DirectoryLine(layout.parent);
            EXPECT_TRUE(expected) << line;
        }
        struct stat st;
        ASSERT_EQ(lstat(victim.c_str(), &st), 0);
        EXPECT_EQ(st.st_mode & 07777, 0444u);
        EXPECT_EQ(testsupport::ReadFile(victim), "victim bytes");
    }
}

} // namespace
} // namespace hardening
