// The run as a whole: start-up, the command line, the wait for the setup
// window, entering the target, and the order of the phases.
#include <iostream>

#include "fake_test.h"
#include "scenario.h"

namespace {

using Calls = std::vector<std::string>;

class Sequence : public FakeTest {};

TEST_F(Sequence, TypicalRunMakesExactlyTheseCallsInThisOrder)
{
    BuildTypicalWorld();
    fake::TheWorld().windowAnswers = {true, true};

    EXPECT_EQ(fake::RunWinMain(TypicalArguments({"a.exe"})), 0);

    EXPECT_EQ(fake::Calls(), (Calls{
                                 "AfxWinInit(module,null,\"aftersetup.exe /t/setup My Setup a.exe\",0)",
                                 "FindWindowA(TarnwellForge_Win,My Setup)",
                                 "Sleep(3000)",
                                 "FindWindowA(TarnwellForge_Win,My Setup)",
                                 "Sleep(3000)",
                                 "FindWindowA(TarnwellForge_Win,My Setup)",
                                 "SetCurrentDirectoryA(/t/setup)",
                                 "CreateProcessA(a.exe,\"\")",
                                 "CloseHandle(thread:a.exe)",
                                 "WaitForSingleObject(process:a.exe,INFINITE)",
                                 "CloseHandle(process:a.exe)",
                                 "FindFile(*.*)",
                                 "FindNextFile()",  // .
                                 "FindNextFile()",  // ..
                                 "FindNextFile()",  // readme.txt
                                 "GetStatus(readme.txt)",
                                 "SetStatus(readme.txt,attr=0x20,times=0/0/0)",
                                 "Remove(readme.txt)",
                                 "FindNextFile()",  // data.bin, the last
                                 "GetStatus(data.bin)",
                                 "Remove(data.bin)",
                                 "Close()",
                                 "GetCurrentDirectoryA(260)",
                                 "SetCurrentDirectoryA(..)",
                                 "RemoveDirectoryA(/t/setup)",
                                 "GetCurrentDirectoryA(260)",
                                 "SetCurrentDirectoryA(..)",
                                 "RemoveDirectoryA(/t)",
                             }));
    EXPECT_EQ(Stderr(), "");
    EXPECT_FALSE(fake::DirectoryExists("/t/setup"));
    EXPECT_FALSE(fake::DirectoryExists("/t"));
    EXPECT_EQ(fake::EntryNames("/start"), Calls{"notes.txt"});
}

TEST_F(Sequence, ClassLibraryGetsTheModuleHandleTheRawCommandLineAndShowStateZero)
{
    BuildTypicalWorld();
    ASSERT_EQ(fake::RunWinMain(TypicalArguments()), 0);

    // WinMain was handed an empty line: the line recorded can only have
    // come from GetCommandLineA, and the handle from GetModuleHandleA.
    Calls all = fake::AllCalls();
    auto init = std::find_if(all.begin(), all.end(), [](const std::string &call) {
        return call.compare(0, 11, "AfxWinInit(") == 0;
    });
    ASSERT_NE(init, all.end());
    EXPECT_NE(std::find(all.begin(), init, "GetModuleHandleA(null)"), init);
    EXPECT_NE(std::find(all.begin(), init, "GetCommandLineA()"), init);
    EXPECT_EQ(*init, "AfxWinInit(module,null,\"aftersetup.exe /t/setup My Setup\",0)");

    CWinApp *app = AfxGetApp();
    ASSERT_NE(app, nullptr);
    EXPECT_EQ(app->m_hInstance, fake::ModuleHandle());
    EXPECT_EQ(app->m_lpCmdLine, GetCommandLineA());
    EXPECT_EQ(app->m_nCmdShow, 0);
}

TEST_F(Sequence, FailedClassLibraryStartWritesOneFlushedLineAndEndsWithOne)
{
    BuildTypicalWorld();
    fake::TheWorld().afxWinInitResult = FALSE;
    // Without unit buffering only an explicit flush gets the line out.
    std::cerr.unsetf(std::ios::unitbuf);

    int status = fake::RunWinMain(TypicalArguments({"a.exe"}));
    std::size_t flushed = Capture().FlushedBytes();
    std::cerr.setf(std::ios::unitbuf);

    EXPECT_EQ(status, 1);
    EXPECT_EQ(Stderr(), "Fatal Error: MFC initialization failed\n");
    EXPECT_EQ(flushed, Stderr().size()) << "the start-up failure line was not flushed";
    // Nothing at all after the failed start, not even a look at the arguments.
    Calls all = fake::AllCalls();
    ASSERT_FALSE(all.empty());
    EXPECT_EQ(all.back(), "stderr(\"Fatal Error: MFC initialization failed\\n\")");
    EXPECT_EQ(all[all.size() - 2].compare(0, 11, "AfxWinInit("), 0);
    EXPECT_TRUE(fake::DirectoryExists("/t/setup"));
}

TEST_F(Sequence, RunLeavesStandardErrorUnitBufferedAndTiedToStandardOutput)
{
    BuildTypicalWorld();
    fake::TheWorld().directories["/t/setup"].entries.push_back(fake::Subdirectory("sub"));
    ASSERT_EQ(fake::RunWinMain(TypicalArguments()), 0);
    ASSERT_NE(Stderr(), "");
    EXPECT_TRUE((std::cerr.flags() & std::ios::unitbuf) != 0);
    EXPECT_EQ(std::cerr.tie(), &std::cout);
    // Unit buffering flushes after every piece of every line.
    EXPECT_EQ(Capture().FlushedBytes(), Stderr().size());
}

TEST_F(Sequence, TargetThatCannotBeEnteredIsLeftAloneAndRemovalRunsFromTheStart)
{
    BuildTypicalWorld();
    fake::TheWorld().setCurrentDirectoryFails = {"/t/setup"};

    EXPECT_EQ(fake::RunWinMain(TypicalArguments({"a.exe"})), 0);

    EXPECT_EQ(CallsFrom("SetCurrentDirectoryA(/t/setup)"),
              (Calls{
                  "SetCurrentDirectoryA(/t/setup)",
                  "GetCurrentDirectoryA(260)",
                  "SetCurrentDirectoryA(..)",
                  "RemoveDirectoryA(/start)",
                  "stderr(\"Directory /start cannot be removed\\n\")",
                  "GetCurrentDirectoryA(260)",
                  "SetCurrentDirectoryA(..)",
                  "RemoveDirectoryA(/)",
                  "stderr(\"Directory / cannot be removed\\n\")",
              }));
    EXPECT_EQ(fake::ProcessStarts().size(), 0u);
    EXPECT_EQ(fake::EntryNames("/t/setup"), (Calls{"readme.txt", "data.bin"}));
    EXPECT_EQ(fake::EntryNames("/start"), Calls{"notes.txt"});
}

struct CommandLineCase {
    std::string name;
    std::vector<std::string> arguments;
    int exitStatus;
    bool looksForWindow;
    std::size_t programsStarted;
};

void PrintTo(const CommandLineCase &c, std::ostream *out) { *out << c.name; }

class CommandLine : public FakeTest, public testing::WithParamInterface<CommandLineCase> {};

TEST_P(CommandLine, DecidesWhetherTheRunGoesOn)
{
    const CommandLineCase &c = GetParam();
    BuildTypicalWorld();

    EXPECT_EQ(fake::RunWinMain(c.arguments), c.exitStatus);

    EXPECT_EQ(!CallsStartingWith("FindWindowA(").empty(), c.looksForWindow);
    EXPECT_EQ(fake::ProcessStarts().size(), c.programsStarted);
    if (c.exitStatus != 0) {
        // A short command line: nothing written, nothing touched.
        EXPECT_EQ(Stderr(), "");
        EXPECT_EQ(fake::Calls().size(), 1u) << "only AfxWinInit may come before the check";
        EXPECT_EQ(fake::EntryNames("/t/setup"), (Calls{"readme.txt", "data.bin"}));
    }
}

INSTANTIATE_TEST_SUITE_P(
    Arguments, CommandLine,
    testing::Values(
        // Only the program's own path.
        CommandLineCase{"ProgramPathOnly", {"aftersetup.exe"}, 1, false, 0},
        // A target but no window title.
        CommandLineCase{"TargetWithoutTitle", {"aftersetup.exe", "/t/setup"}, 1, false, 0},
        // The shortest complete line: no follow-up program to run.
        CommandLineCase{"TargetAndTitle", {"aftersetup.exe", "/t/setup", "My Setup"}, 0, true, 0},
        // An empty title is still a title.
        CommandLineCase{"EmptyTitle", {"aftersetup.exe", "/t/setup", ""}, 0, true, 0},
        CommandLineCase{"TwoPrograms",
                        {"aftersetup.exe", "/t/setup", "My Setup", "a.exe", "b.exe"}, 0, true, 2}),
    CaseName<CommandLineCase>);

struct WaitCase {
    std::string name;
    std::vector<bool> answers;
    int looks;
};

void PrintTo(const WaitCase &c, std::ostream *out) { *out << c.name; }

class WaitingForTheSetupWindow : public FakeTest,
                                 public testing::WithParamInterface<WaitCase> {};

TEST_P(WaitingForTheSetupWindow, LooksAtOnceThenEvery3000MsUntilItIsGone)
{
    const WaitCase &c = GetParam();
    BuildTypicalWorld();
    fake::TheWorld().windowAnswers = c.answers;

    ASSERT_EQ(fake::RunWinMain(TypicalArguments()), 0);

    Calls expected;
    for (int look = 0; look < c.looks; ++look) {
        if (look > 0)
            expected.push_back("Sleep(3000)");
        expected.push_back("FindWindowA(TarnwellForge_Win,My Setup)");
    }
    expected.push_back("SetCurrentDirectoryA(/t/setup)");
    Calls calls = fake::Calls();
    ASSERT_GE(calls.size(), expected.size() + 1);
    EXPECT_EQ(Calls(calls.begin() + 1, calls.begin() + 1 + static_cast<long>(expected.size())),
              expected);
}

INSTANTIATE_TEST_SUITE_P(
    Answers, WaitingForTheSetupWindow,
    testing::Values(
        // No window at start: no sleep before the target is entered.
        WaitCase{"NoWindow", {}, 1},
        WaitCase{"GoneAfterOneLook", {true}, 2},
        WaitCase{"GoneAfterFourLooks", {true, true, true, true}, 5}),
    CaseName<WaitCase>);

}  // namespace
