// Every fallible platform call of a typical run, made to fail in turn: the
// run must still end as the failure tables say, with the exit status, the
// lines on standard error and the leftovers listed here, and release every
// handle, search and exception on the way.
#include "fake_test.h"
#include "scenario.h"

namespace {

using Names = std::vector<std::string>;

const std::string kStartupLine = "Fatal Error: MFC initialization failed\n";
const std::string kTargetLine = "Directory /t/setup cannot be removed\n";
const std::string kParentLine = "Directory /t cannot be removed\n";
const std::string kReadmeLine = "File readme.txt cannot be removed\n";
const std::string kDataLine = "File data.bin cannot be removed\n";
const Names kBothFiles = {"readme.txt", "data.bin"};
const Names kBothPrograms = {"a.exe", "b.exe"};

struct FaultCase {
    std::string name;
    std::string failing;  // the fallible call, with its occurrence
    int exitStatus;
    std::string stderrText;
    Names leftInTarget;
    bool targetStays;
    bool parentStays;
    Names programsWaitedFor;
};

void PrintTo(const FaultCase &c, std::ostream *out) { *out << c.name; }

// The typical run: the setup window seen once, two follow-up programs, a
// read-only and a plain file in a target inside an otherwise empty parent.
void BuildScenario()
{
    BuildTypicalWorld();
    fake::TheWorld().windowAnswers = {true};
}

int RunScenario()
{
    return fake::RunWinMain(TypicalArguments(kBothPrograms));
}

Names ProgramsWaitedFor()
{
    Names programs;
    for (const std::string &call : fake::Calls()) {
        const std::string prefix = "WaitForSingleObject(process:";
        if (call.compare(0, prefix.size(), prefix) == 0)
            programs.push_back(call.substr(prefix.size(), call.find(',') - prefix.size()));
    }
    return programs;
}

const FaultCase kBaseline = {"None", "", 0, "", {}, false, false, kBothPrograms};

// A row that ends like the run without a failure.
FaultCase Harmless(const std::string &name, const std::string &failing)
{
    FaultCase c = kBaseline;
    c.name = name;
    c.failing = failing;
    return c;
}

const std::vector<FaultCase> &FaultCases()
{
    static const std::vector<FaultCase> cases = {
        {"ClassLibraryStart", "AfxWinInit#1", 1, kStartupLine, kBothFiles, true, true, {}},
        // A failed look reads as "no window": the run goes on at once.
        Harmless("FirstWindowLook", "FindWindowA#1"),
        Harmless("SecondWindowLook", "FindWindowA#2"),
        // Not entered: nothing run, nothing deleted; the removal runs from
        // the start directory and finds it (and the root) not empty.
        {"EnteringTheTarget", "SetCurrentDirectoryA(/t/setup)#1", 0,
         "Directory /start cannot be removed\nDirectory / cannot be removed\n", kBothFiles, true,
         true, {}},
        {"StartingTheFirstProgram", "CreateProcessA(a.exe)#1", 0, "", {}, false, false, {"b.exe"}},
        Harmless("ClosingTheFirstThread", "CloseHandle(thread:a.exe)#1"),
        Harmless("WaitingForTheFirstProgram", "WaitForSingleObject(process:a.exe)#1"),
        Harmless("ClosingTheFirstProcess", "CloseHandle(process:a.exe)#1"),
        {"StartingTheSecondProgram", "CreateProcessA(b.exe)#1", 0, "", {}, false, false, {"a.exe"}},
        Harmless("ClosingTheSecondThread", "CloseHandle(thread:b.exe)#1"),
        Harmless("WaitingForTheSecondProgram", "WaitForSingleObject(process:b.exe)#1"),
        Harmless("ClosingTheSecondProcess", "CloseHandle(process:b.exe)#1"),
        // No search: nothing deleted, so neither directory can go.
        {"StartingTheSearch", "FindFile(*.*)#1", 0, kTargetLine + kParentLine, kBothFiles, true,
         true, kBothPrograms},
        // A failed read ends the listing: the entries after it are not offered.
        {"ReadingAfterTheFirstDot", "FindNextFile#1", 0, kTargetLine + kParentLine, kBothFiles,
         true, true, kBothPrograms},
        {"ReadingAfterTheSecondDot", "FindNextFile#2", 0, kTargetLine + kParentLine, kBothFiles,
         true, true, kBothPrograms},
        {"ReadingAfterReadme", "FindNextFile#3", 0, kTargetLine + kParentLine, {"data.bin"}, true,
         true, kBothPrograms},
        // Status unreadable: still read-only, so the deletion fails.
        {"ReadingReadmeStatus", "GetStatus(readme.txt)#1", 0,
         kReadmeLine + kTargetLine + kParentLine, {"readme.txt"}, true, true, kBothPrograms},
        {"MakingReadmeWritable", "SetStatus(readme.txt)#1", 0,
         kReadmeLine + kTargetLine + kParentLine, {"readme.txt"}, true, true, kBothPrograms},
        {"RemovingReadme", "Remove(readme.txt)#1", 0, kReadmeLine + kTargetLine + kParentLine,
         {"readme.txt"}, true, true, kBothPrograms},
        Harmless("ReadingAfterTheLastEntry", "FindNextFile#4"),
        // Status unreadable on a writable file: deleted all the same.
        Harmless("ReadingDataStatus", "GetStatus(data.bin)#1"),
        {"RemovingData", "Remove(data.bin)#1", 0, kDataLine + kTargetLine + kParentLine,
         {"data.bin"}, true, true, kBothPrograms},
        // No path for the target: it is not removed and not named; the
        // parent then still holds it.
        {"ReadingTheTargetPath", "GetCurrentDirectoryA#1", 0, kParentLine, {}, true, true,
         kBothPrograms},
        // Still standing in the target, its removal fails; the second pass
        // reads the same path again, steps up and removes it.
        {"SteppingOutOfTheTarget", "SetCurrentDirectoryA(..)#1", 0, kTargetLine, {}, false, true,
         kBothPrograms},
        {"RemovingTheTarget", "RemoveDirectoryA(/t/setup)#1", 0, kTargetLine + kParentLine, {},
         true, true, kBothPrograms},
        {"ReadingTheParentPath", "GetCurrentDirectoryA#2", 0, "", {}, false, true, kBothPrograms},
        {"SteppingOutOfTheParent", "SetCurrentDirectoryA(..)#2", 0, kParentLine, {}, false, true,
         kBothPrograms},
        {"RemovingTheParent", "RemoveDirectoryA(/t)#1", 0, kParentLine, {}, false, true,
         kBothPrograms},
    };
    return cases;
}

class FaultInjection : public FakeTest, public testing::WithParamInterface<FaultCase> {
protected:
    // The fallible calls of the run without a failure.
    Names BaselineFallibleCalls()
    {
        fake::Reset();
        BuildScenario();
        EXPECT_EQ(RunScenario(), 0);
        EXPECT_EQ(Stderr(), "");
        Names calls = fake::FallibleCalls();
        fake::Reset();
        return calls;
    }
};

TEST_F(FaultInjection, EveryFallibleCallOfTheRunHasAnExpectedOutcome)
{
    Names baseline = BaselineFallibleCalls();
    Names tabled;
    for (const FaultCase &c : FaultCases())
        tabled.push_back(c.failing);
    // Same calls, same order: a new fallible call in the run needs its row.
    EXPECT_EQ(baseline, tabled);
}

TEST_P(FaultInjection, RunEndsAsTheFailureTablesSay)
{
    const FaultCase &c = GetParam();
    Names baseline = BaselineFallibleCalls();
    auto position = std::find(baseline.begin(), baseline.end(), c.failing);
    ASSERT_NE(position, baseline.end()) << c.failing << " is not made in the run";

    BuildScenario();
    fake::FailFallibleCall(static_cast<int>(position - baseline.begin()) + 1);
    int exitStatus = RunScenario();

    ASSERT_EQ(fake::InjectedFailure(), c.failing);
    EXPECT_EQ(exitStatus, c.exitStatus);
    EXPECT_EQ(Stderr(), c.stderrText);
    EXPECT_EQ(fake::EntryNames("/t/setup"), c.leftInTarget);
    EXPECT_EQ(fake::DirectoryExists("/t/setup"), c.targetStays);
    EXPECT_EQ(fake::DirectoryExists("/t"), c.parentStays);
    EXPECT_EQ(ProgramsWaitedFor(), c.programsWaitedFor);

    // Outside the target nothing changes.
    EXPECT_EQ(fake::EntryNames("/start"), Names{"notes.txt"});
    // Each entry line cost exactly one pause; the window wait paused once
    // between each two looks.
    std::size_t looks = CallsStartingWith("FindWindowA(").size();
    std::size_t entryLines = 0;
    for (std::size_t at = Stderr().find("File "); at != std::string::npos;
         at = Stderr().find("File ", at + 1))
        ++entryLines;
    EXPECT_EQ(CallsStartingWith("Sleep(3000)").size(), (looks > 0 ? looks - 1 : 0) + entryLines);
    // Every exception thrown was released (checked again on tear-down).
    EXPECT_EQ(fake::LiveExceptions(), 0);
}

INSTANTIATE_TEST_SUITE_P(FailingCalls, FaultInjection, testing::ValuesIn(FaultCases()),
                         CaseName<FaultCase>);

}  // namespace
