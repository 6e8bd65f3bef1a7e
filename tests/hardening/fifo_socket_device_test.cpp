// FIFOs, sockets and device nodes are deleted without ever being opened:
// an open of a FIFO with no writer blocks for ever, so a run that opened
// one would not end. The same holds where the mode cannot be changed
// through fchmodat2 or /proc, which the backend falls back from.
#include <cstring>
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/un.h>
#include <unistd.h>

#include "hardening/hostile_run.h"
#include "hardening/layout.h"
#include "hardening/tree_snapshot.h"

namespace hardening {
namespace {

using testsupport::WriteFile;

void MakeSocket(const std::string &path, mode_t mode)
{
    int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    ASSERT_NE(fd, -1);
    sockaddr_un address = {};
    address.sun_family = AF_UNIX;
    ASSERT_LT(path.size(), sizeof address.sun_path);
    std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
    ASSERT_EQ(bind(fd, reinterpret_cast<sockaddr *>(&address), sizeof address), 0)
        << std::strerror(errno);
    close(fd);
    chmod(path.c_str(), mode);
}

struct Surroundings {
    const char *name;
    bool withoutFchmodat2;
    bool withoutProc;
};

void PrintTo(const Surroundings &c, std::ostream *os)
{
    *os << c.name;
}

class SpecialFiles : public testing::TestWithParam<Surroundings> {};

TEST_P(SpecialFiles, AreDeletedWithoutBeingOpened)
{
    if (geteuid() != 0 && std::getenv("CI") == nullptr)
        GTEST_SKIP() << "device nodes and mount namespaces need root";
    Layout layout;
    ASSERT_EQ(mkfifo(layout.InTarget("fifo-read-only").c_str(), 0444), 0);
    ASSERT_EQ(mkfifo(layout.InTarget("fifo").c_str(), 0644), 0);
    MakeSocket(layout.InTarget("sock"), 0444);
    ASSERT_EQ(mknod(layout.InTarget("null-device").c_str(), S_IFCHR | 0444, makedev(1, 3)), 0);
    WriteFile(layout.InTarget("read-only"), "bytes", 0444);
    WriteFile(layout.InTarget("no-permissions"), "bytes", 0000);
    ASSERT_EQ(mkfifo(layout.Outside("fifo").c_str(), 0444), 0);
    ASSERT_EQ(symlink(layout.Outside("fifo").c_str(), layout.InTarget("fifo-link").c_str()), 0);
    // Left behind, and the proof that the mode change itself works here.
    testsupport::MakeDirectory(layout.InTarget("read-only-dir"), 0555);
    TreeSnapshot outside = TakeSnapshot(layout.outside);

    HostileSetup setup;
    setup.withoutFchmodat2 = GetParam().withoutFchmodat2;
    setup.withoutProc = GetParam().withoutProc;
    setup.timeout = std::chrono::seconds(20);
    HostileResult run = RunTool(ArgsFor(layout), setup);

    ASSERT_FALSE(run.timedOut) << "the run blocked, as on an open of a FIFO";
    EXPECT_EQ(run.exitStatus, 0);
    EXPECT_TRUE(IsReportFor(run.stderrText, layout, {"read-only-dir"})) << run.stderrText;
    EXPECT_EQ(testsupport::ListDirectory(layout.target),
              std::vector<std::string>{"read-only-dir"});
    struct stat st;
    ASSERT_EQ(stat(layout.InTarget("read-only-dir").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0755u);
    EXPECT_EQ(DescribeDifferences(outside, TakeSnapshot(layout.outside)), "");
}

// A sanitizer's run-time cannot start without /proc, so an instrumented
// tool cannot be run there; the plain build covers those surroundings.
INSTANTIATE_TEST_SUITE_P(
    Hardening, SpecialFiles,
    testing::Values(Surroundings{"WithFchmodat2", false, false},
                    Surroundings{"ThroughProc", true, false}
#ifndef __SANITIZE_ADDRESS__
                    ,
                    Surroundings{"WithoutFchmodat2OrProc", true, true}
#endif
                    ),
    [](const testing::TestParamInfo<Surroundings> &info) { return std::string(info.param.name); });

} // namespace
} // namespace hardening
