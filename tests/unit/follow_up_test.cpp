// Starting the follow-up programs: what each start is given, the order of
// the handle releases, and what a failed start or a failed wait changes.
#include <cstring>

#include "fake_test.h"
#include "launch/launch.h"
#include "scenario.h"

namespace {

using Calls = std::vector<std::string>;

class RunningAProgram : public FakeTest {};

TEST_F(RunningAProgram, PassesOnlyThePathAnEmptyLineAndAZeroStartupRecordOfSize68)
{
    char commandLine[] = "";
    EXPECT_NE(RunProcess("a.exe", commandLine, TRUE), FALSE);

    ASSERT_EQ(fake::ProcessStarts().size(), 1u);
    const fake::ProcessStart &start = fake::ProcessStarts()[0];
    EXPECT_EQ(start.application, "a.exe");
    EXPECT_FALSE(start.commandLineNull);
    EXPECT_EQ(start.commandLine, "");
    EXPECT_TRUE(start.securityAttributesNull);
    EXPECT_EQ(start.inheritHandles, FALSE);
    EXPECT_EQ(start.creationFlags, 0u);
    EXPECT_TRUE(start.environmentNull);
    EXPECT_TRUE(start.currentDirectoryNull);
    EXPECT_FALSE(start.processInformationNull);
    ASSERT_FALSE(start.startupNull);
    EXPECT_EQ(start.startup.cb, 68u);
    STARTUPINFOA zero = {};
    zero.cb = 68;
    EXPECT_EQ(std::memcmp(&start.startup, &zero, sizeof zero), 0)
        << "every field but cb must be zero";
}

TEST_F(RunningAProgram, ClosesTheThreadBeforeTheWaitAndTheProcessAfterIt)
{
    char commandLine[] = "";
    EXPECT_NE(RunProcess("a.exe", commandLine, TRUE), FALSE);
    EXPECT_EQ(fake::Calls(), (Calls{
                                 "CreateProcessA(a.exe,\"\")",
                                 "CloseHandle(thread:a.exe)",
                                 "WaitForSingleObject(process:a.exe,INFINITE)",
                                 "CloseHandle(process:a.exe)",
                             }));
}

TEST_F(RunningAProgram, WithoutWaitingStillReleasesBothHandles)
{
    char commandLine[] = "";
    EXPECT_NE(RunProcess("a.exe", commandLine, FALSE), FALSE);
    EXPECT_EQ(fake::Calls(), (Calls{
                                 "CreateProcessA(a.exe,\"\")",
                                 "CloseHandle(thread:a.exe)",
                                 "CloseHandle(process:a.exe)",
                             }));
}

TEST_F(RunningAProgram, ThatCannotStartReturnsZeroAndReleasesNothing)
{
    fake::TheWorld().programsThatFailToStart = {"missing.exe"};
    char commandLine[] = "";
    EXPECT_EQ(RunProcess("missing.exe", commandLine, TRUE), FALSE);
    EXPECT_EQ(fake::Calls(), Calls{"CreateProcessA(missing.exe,\"\")"});
    EXPECT_EQ(Stderr(), "");
}

enum class Outcome { Runs, FailsToStart, WaitFails };

struct FollowUpCase {
    std::string name;
    std::vector<std::pair<std::string, Outcome>> programs;
};

void PrintTo(const FollowUpCase &c, std::ostream *out) { *out << c.name; }

class FollowUpPrograms : public FakeTest, public testing::WithParamInterface<FollowUpCase> {};

// What one program's turn looks like in the log.
Calls TurnOf(const std::string &program, Outcome outcome)
{
    Calls turn = {"CreateProcessA(" + program + ",\"\")"};
    if (outcome == Outcome::FailsToStart)
        return turn;
    turn.push_back("CloseHandle(thread:" + program + ")");
    turn.push_back("WaitForSingleObject(process:" + program + ",INFINITE)");
    turn.push_back("CloseHandle(process:" + program + ")");
    return turn;
}

TEST_P(FollowUpPrograms, RunOneAfterAnotherFromTheFourthArgumentOn)
{
    const FollowUpCase &c = GetParam();
    std::vector<std::string> arguments = {"aftersetup.exe", "/t/setup", "My Setup"};
    Calls expected;
    for (const auto &program : c.programs) {
        arguments.push_back(program.first);
        if (program.second == Outcome::FailsToStart)
            fake::TheWorld().programsThatFailToStart.insert(program.first);
        if (program.second == Outcome::WaitFails)
            fake::TheWorld().waitResults[program.first] = WAIT_FAILED;
        Calls turn = TurnOf(program.first, program.second);
        expected.insert(expected.end(), turn.begin(), turn.end());
    }
    std::vector<char *> argv;
    for (std::string &argument : arguments)
        argv.push_back(&argument[0]);
    argv.push_back(nullptr);

    RunFollowUpPrograms(static_cast<int>(arguments.size()), argv.data());

    EXPECT_EQ(fake::Calls(), expected);
    EXPECT_EQ(Stderr(), "");
    for (const fake::ProcessStart &start : fake::ProcessStarts())
        EXPECT_EQ(start.commandLine, "") << start.application;
}

INSTANTIATE_TEST_SUITE_P(
    Programs, FollowUpPrograms,
    testing::Values(
        FollowUpCase{"None", {}},
        FollowUpCase{"One", {{"a.exe", Outcome::Runs}}},
        // Names keep their blanks and are taken as given.
        FollowUpCase{"ThreeInOrder",
                     {{"a.exe", Outcome::Runs},
                      {"sub dir/b.exe", Outcome::Runs},
                      {"C:\\c.exe", Outcome::Runs}}},
        // A program that cannot start is passed over; the next still runs.
        FollowUpCase{"FirstCannotStart",
                     {{"missing.exe", Outcome::FailsToStart}, {"b.exe", Outcome::Runs}}},
        // A failed wait still releases both handles before the next start.
        FollowUpCase{"FirstWaitFails",
                     {{"a.exe", Outcome::WaitFails}, {"b.exe", Outcome::Runs}}},
        FollowUpCase{"NoneCanStart",
                     {{"x.exe", Outcome::FailsToStart}, {"y.exe", Outcome::FailsToStart}}}),
    CaseName<FollowUpCase>);

TEST_F(RunningAProgram, FailedStartsAndWaitsLeaveTheExitStatusAtZeroAndTheCleanUpRuns)
{
    BuildTypicalWorld();
    fake::TheWorld().programsThatFailToStart = {"missing.exe"};
    fake::TheWorld().waitResults["a.exe"] = WAIT_FAILED;

    EXPECT_EQ(fake::RunWinMain(TypicalArguments({"missing.exe", "a.exe"})), 0);

    EXPECT_EQ(Stderr(), "");
    EXPECT_FALSE(fake::DirectoryExists("/t/setup"));
    EXPECT_FALSE(fake::DirectoryExists("/t"));
    // Every program had its turn before the first file was touched.
    EXPECT_LT(IndexOf("CloseHandle(process:a.exe)"), IndexOf("FindFile("));
}

}  // namespace
