// Follow-up programs: how each is started, in what order, which names are
// started at all, and that nothing a program does changes the clean-up.
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <functional>
#include <gtest/gtest.h>
#include <unistd.h>

#include "blackbox/cleanup_tree.h"
#include "blackbox/probe_log.h"
#include "blackbox/tool_run.h"

namespace blackbox {
namespace {

using testsupport::Exists;
using testsupport::MakeDirectory;
using testsupport::WriteFile;

// The target holds a sentinel file the probe looks for: while it is there,
// the clean-up has not begun.
class FollowUp : public ::testing::Test {
public:
    FollowUp()
    {
        WriteFile(tree.InTarget("sentinel"), "still here");
        MakeDirectory(bin);
        options.env["PROBE_LOG"] = log;
        options.env["PROBE_SENTINEL"] = "sentinel";
    }

    testsupport::RunResult Run(const std::vector<std::string> &programs)
    {
        std::vector<std::string> args{tree.target, "Setup"};
        args.insert(args.end(), programs.begin(), programs.end());
        return RunTool(args, options);
    }

    void ExpectCleanRun(const testsupport::RunResult &result)
    {
        EXPECT_EQ(result.exitStatus, 0);
        EXPECT_EQ(result.stderrText, "");
        EXPECT_EQ(result.stdoutText, "");
        EXPECT_FALSE(Exists(tree.target));
        EXPECT_FALSE(Exists(tree.parent));
    }

    CleanupTree tree;
    std::string bin = tree.InRoot("bin");
    std::string log = tree.InRoot("probe.log");
    testsupport::RunOptions options;
};

// Opens a descriptor without close-on-exec, so that every child of the
// test inherits it unless someone closes it.
class InheritableDescriptor {
public:
    InheritableDescriptor()
    {
        int null = open("/dev/null", O_RDONLY | O_CLOEXEC);
        fd_ = fcntl(null, F_DUPFD, 5);  // the new descriptor has no close-on-exec
        close(null);
    }
    ~InheritableDescriptor()
    {
        if (fd_ >= 0)
            close(fd_);
    }
    InheritableDescriptor(const InheritableDescriptor &) = delete;
    InheritableDescriptor &operator=(const InheritableDescriptor &) = delete;
    int fd() const { return fd_; }

private:
    int fd_ = -1;
};

TEST_F(FollowUp, ProgramGetsOneEmptyArgumentTheTargetAndTheToolsEnvironment)
{
    auto result = Run({ProbePath()});

    ExpectCleanRun(result);
    auto starts = ReadProbeLog(log);
    ASSERT_EQ(starts.size(), 1u);
    EXPECT_EQ(starts[0].args, std::vector<std::string>{""});
    EXPECT_EQ(starts[0].cwd, tree.target);
    EXPECT_EQ(starts[0].env, ToolEnvironment(options));
    EXPECT_EQ(starts[0].sentinel, 1) << "started after the clean-up began";
}

TEST_F(FollowUp, ProgramInheritsOnlyTheStandardDescriptors)
{
    InheritableDescriptor extra;
    ASSERT_GE(extra.fd(), 5);
    // Without the tool in between the probe does see the extra descriptor.
    std::string directLog = tree.InRoot("direct.log");
    testsupport::RunOptions direct;
    direct.env["PROBE_LOG"] = directLog;
    testsupport::RunProgram({ProbePath()}, direct);
    auto directStarts = ReadProbeLog(directLog);
    ASSERT_EQ(directStarts.size(), 1u);
    ASSERT_NE(std::find(directStarts[0].fds.begin(), directStarts[0].fds.end(), extra.fd()),
              directStarts[0].fds.end());

    auto result = Run({ProbePath()});

    ExpectCleanRun(result);
    auto starts = ReadProbeLog(log);
    ASSERT_EQ(starts.size(), 1u);
    EXPECT_EQ(starts[0].fds, (std::vector<int>{0, 1, 2}));
}

// A /proc/self/status signal mask without signals 32 and 33: the C library
// keeps those for itself, and its posix_spawn leaves them ignored in the
// child, which programs built on the C library never see.
unsigned long long WithoutLibcSignals(const std::string &mask)
{
    return std::stoull(mask, nullptr, 16) & ~((1ULL << 31) | (1ULL << 32));
}

// Whatever signals the tool ignores or blocks for itself, the program gets
// the dispositions the tool was started with.
TEST_F(FollowUp, ProgramGetsTheSignalStateTheToolWasStartedWith)
{
    std::string directLog = tree.InRoot("direct.log");
    testsupport::RunOptions direct;
    direct.env["PROBE_LOG"] = directLog;
    testsupport::RunProgram({ProbePath()}, direct);
    auto directStarts = ReadProbeLog(directLog);
    ASSERT_EQ(directStarts.size(), 1u);

    auto result = Run({ProbePath()});

    ExpectCleanRun(result);
    auto starts = ReadProbeLog(log);
    ASSERT_EQ(starts.size(), 1u);
    EXPECT_EQ(WithoutLibcSignals(starts[0].ignoredSignals),
              WithoutLibcSignals(directStarts[0].ignoredSignals));
    EXPECT_EQ(starts[0].blockedSignals, directStarts[0].blockedSignals);
}

TEST_F(FollowUp, ProgramsRunOneAfterAnotherBeforeAnythingIsRemoved)
{
    CopyProbe(bin + "/first");
    CopyProbe(bin + "/second");
    options.env["PROBE_SLEEP_MS"] = "300";

    auto result = Run({bin + "/first", bin + "/second"});

    ExpectCleanRun(result);
    auto starts = ReadProbeLog(log);
    ASSERT_EQ(starts.size(), 2u);
    EXPECT_EQ(starts[0].exe, bin + "/first");
    EXPECT_EQ(starts[1].exe, bin + "/second");
    EXPECT_LE(starts[0].endNs, starts[1].startNs) << "the second started before the first ended";
    EXPECT_EQ(starts[0].sentinel, 1);
    EXPECT_EQ(starts[1].sentinel, 1);
}

TEST_F(FollowUp, ProgramThatCannotBeStartedIsPassedOverSilently)
{
    auto result = Run({bin + "/missing", ProbePath()});

    ExpectCleanRun(result);
    auto starts = ReadProbeLog(log);
    ASSERT_EQ(starts.size(), 1u);
    EXPECT_EQ(starts[0].exe, ProbePath());
}

// Which names are started. Evidence of a start is anything in the log:
// the probe writes a record, the scripts append a line.
struct StartCase {
    const char *name;
    // Prepares the program and returns the argument that names it.
    std::function<std::string(FollowUp &, const std::string &bin)> prepare;
    bool started;
};

// Named in test output by its case name, not its bytes.
void PrintTo(const StartCase &c, std::ostream *out) { *out << c.name; }

class FollowUpStart : public FollowUp, public ::testing::WithParamInterface<StartCase> {
};

const char kAppendToLog[] = "echo ran >> \"$PROBE_LOG\"\n";

std::vector<StartCase> StartCases()
{
    return {
        {"AbsolutePath", [](FollowUp &, const std::string &) { return ProbePath(); }, true},
        // The target is the current directory, so a bare name is found there
        // (and deleted with the rest afterwards).
        {"BareNameInTarget",
         [](FollowUp &f, const std::string &) {
             CopyProbe(f.tree.InTarget("post-install"));
             return std::string("post-install");
         },
         true},
        {"DotSlashNameInTarget",
         [](FollowUp &f, const std::string &) {
             CopyProbe(f.tree.InTarget("post-install"));
             return std::string("./post-install");
         },
         true},
        {"ScriptWithInterpreterLine",
         [](FollowUp &, const std::string &bin) {
             WriteFile(bin + "/script", std::string("#!/bin/sh\n") + kAppendToLog, 0755);
             return bin + "/script";
         },
         true},
        {"Missing", [](FollowUp &, const std::string &bin) { return bin + "/missing"; }, false},
        {"Directory", [](FollowUp &, const std::string &bin) { return bin; }, false},
        {"NotExecutable",
         [](FollowUp &, const std::string &bin) {
             CopyProbe(bin + "/plain", 0644);
             return bin + "/plain";
         },
         false},
        // If any of these went through a shell, the log would show it.
        {"TextWithoutInterpreterLine",
         [](FollowUp &, const std::string &bin) {
             WriteFile(bin + "/text", kAppendToLog, 0755);
             return bin + "/text";
         },
         false},
        {"EmptyExecutableFile",
         [](FollowUp &, const std::string &bin) {
             WriteFile(bin + "/empty", "", 0755);
             return bin + "/empty";
         },
         false},
        {"MissingInterpreter",
         [](FollowUp &, const std::string &bin) {
             WriteFile(bin + "/orphan", std::string("#!/nonexistent/sh\n") + kAppendToLog, 0755);
             return bin + "/orphan";
         },
         false},
        // No extension is added to a name.
        {"NameWithoutExtension",
         [](FollowUp &f, const std::string &) {
             CopyProbe(f.tree.InTarget("post-install.exe"));
             CopyProbe(f.tree.InTarget("post-install.sh"));
             return std::string("post-install");
         },
         false},
        // No search path is consulted.
        {"BareNameOnlyOnSearchPath",
         [](FollowUp &f, const std::string &bin) {
             CopyProbe(bin + "/on-path-only");
             const char *path = std::getenv("PATH");
             f.options.env["PATH"] = bin + ":" + (path != nullptr ? path : "/usr/bin:/bin");
             return std::string("on-path-only");
         },
         false},
    };
}

TEST_P(FollowUpStart, StartsOnlyWhatThePathNamesAsAProgram)
{
    FollowUp &fixture = *this;
    std::string program = GetParam().prepare(fixture, bin);

    auto result = Run({program});

    ExpectCleanRun(result);
    EXPECT_EQ(Exists(log), GetParam().started) << testsupport::ReadFile(log);
}

INSTANTIATE_TEST_SUITE_P(Programs, FollowUpStart, ::testing::ValuesIn(StartCases()),
                         [](const auto &info) { return std::string(info.param.name); });

// How a program ends changes nothing: the next one runs, the clean-up is
// done and the tool exits 0.
struct EndCase {
    const char *name;
    const char *variable;
    const char *value;
};

void PrintTo(const EndCase &c, std::ostream *out) { *out << c.name; }

class FollowUpEnd : public FollowUp, public ::testing::WithParamInterface<EndCase> {
};

TEST_P(FollowUpEnd, ChangesNothingForTheNextProgramOrTheCleanUp)
{
    CopyProbe(bin + "/first");
    CopyProbe(bin + "/second");
    options.env[GetParam().variable] = GetParam().value;
    options.env["PROBE_ACT_ONLY"] = "first";

    auto result = Run({bin + "/first", bin + "/second"});

    ExpectCleanRun(result);
    auto starts = ReadProbeLog(log);
    ASSERT_EQ(starts.size(), 2u);
    EXPECT_EQ(starts[1].exe, bin + "/second");
}

INSTANTIATE_TEST_SUITE_P(Endings, FollowUpEnd,
                         ::testing::Values(EndCase{"ExitStatusOne", "PROBE_EXIT_STATUS", "1"},
                                           EndCase{"ExitStatus255", "PROBE_EXIT_STATUS", "255"},
                                           EndCase{"KilledBySigkill", "PROBE_KILL_SIGNAL",
                                                   "9"},
                                           EndCase{"TerminatedBySigterm", "PROBE_KILL_SIGNAL",
                                                   "15"}),
                         [](const auto &info) { return std::string(info.param.name); });

} // namespace
} // namespace blackbox
