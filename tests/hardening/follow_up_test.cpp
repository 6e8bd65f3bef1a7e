// Follow-up programs that die, leave children behind or meddle with their
// own streams: the tool waits for its own child only, then goes on to the
// next program and the clean-up. And what the tool ignores for itself
// (SIGPIPE), or its parent ignored (SIGCHLD), the programs get at default.
#include <csignal>
#include <cstdlib>
#include <gtest/gtest.h>
#include <sys/types.h>
#include <unistd.h>

#include "hardening/hostile_run.h"
#include "hardening/layout.h"

namespace hardening {
namespace {

struct FollowUpCase {
    const char *name;
    const char *body; // shell; $O is the outside area
};

void PrintTo(const FollowUpCase &c, std::ostream *os)
{
    *os << c.name;
}

class UnrulyFollowUp : public testing::TestWithParam<FollowUpCase> {};

TEST_P(UnrulyFollowUp, IsWaitedForAndTheRunGoesOn)
{
    Layout layout;
    testsupport::WriteFile(layout.InTarget("read-only"), "bytes", 0444);
    std::string first = layout.Outside("first");
    std::string next = layout.Outside("next");
    WriteScript(first, "O='" + layout.outside + "'\n" + GetParam().body);
    WriteScript(next, "echo next > '" + layout.Outside("next-ran") + "'\n");

    HostileSetup setup;
    setup.timeout = std::chrono::seconds(20);
    HostileResult run = RunTool(ArgsFor(layout, {first, next}), setup);
    std::string grandchild = testsupport::ReadFile(layout.Outside("grandchild"));
    if (!grandchild.empty())
        kill(static_cast<pid_t>(std::atoi(grandchild.c_str())), SIGKILL);

    EXPECT_FALSE(run.timedOut);
    EXPECT_LT(run.elapsed.count(), 10000) << "waited for more than its own child";
    EXPECT_EQ(run.exitStatus, 0);
    EXPECT_EQ(run.stderrText, "");
    EXPECT_EQ(testsupport::ReadFile(layout.Outside("next-ran")), "next\n");
    EXPECT_FALSE(testsupport::Exists(layout.parent));
}

INSTANTIATE_TEST_SUITE_P(
    Hardening, UnrulyFollowUp,
    testing::Values(
        FollowUpCase{"KilledBySigkill", "kill -KILL $$\n"},
        FollowUpCase{"KilledBySigsegv", "kill -SEGV $$\n"},
        FollowUpCase{"LeavesAChildRunning",
                     "sleep 60 & echo $! > \"$O/grandchild\"\nexit 3\n"},
        FollowUpCase{"ClosesItsStreams", "exec 0<&- 1>&- 2>&-\necho lost\nexit 0\n"},
        FollowUpCase{"RedirectsItsStreams",
                     "exec >\"$O/out\" 2>&1 </dev/null\necho out; echo err >&2\n"}),
    [](const testing::TestParamInfo<FollowUpCase> &info) { return std::string(info.param.name); });

// Bits of /proc/self/status's SigIgn line, a hexadecimal mask.
unsigned long long IgnoredSignals(const std::string &status)
{
    std::size_t at = status.find("SigIgn:");
    return at == std::string::npos ? ~0ULL : std::strtoull(status.c_str() + at + 7, nullptr, 16);
}

TEST(FollowUpSignals, GetSigpipeAndSigchldAtDefaultAndAreWaitedFor)
{
    Layout layout;
    std::string status = layout.Outside("status");
    std::string probe = layout.Outside("probe");
    std::string after = layout.Outside("after");
    // The probe becomes the program it runs, so /proc/self is the follow-up.
    WriteScript(probe, "sleep 1\nexec cat /proc/self/status > '" + status + "'\n");
    WriteScript(after, "test -s '" + status + "' && echo ordered > '" +
                           layout.Outside("ordered") + "'\n");

    HostileSetup setup;
    setup.ignoreSigchld = true; // and SIGPIPE: the tool's parent ignored both
    HostileResult run = RunTool(ArgsFor(layout, {probe, after}), setup);

    EXPECT_EQ(run.exitStatus, 0);
    unsigned long long ignored = IgnoredSignals(testsupport::ReadFile(status));
    EXPECT_EQ(ignored & (1ULL << (SIGPIPE - 1)), 0u) << std::hex << ignored;
    EXPECT_EQ(ignored & (1ULL << (SIGCHLD - 1)), 0u) << std::hex << ignored;
    EXPECT_EQ(testsupport::ReadFile(layout.Outside("ordered")), "ordered\n");
    EXPECT_GE(run.elapsed.count(), 900);
    EXPECT_FALSE(testsupport::Exists(layout.parent));
}

} // namespace
} // namespace hardening
