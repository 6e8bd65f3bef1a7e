// Removing the current directory and its parent: two passes, each stepping
// up before it removes, by the full path however long, and never by a path
// that was not read in that pass.
#include "cleanup/cleanup.h"
#include "fake_test.h"

namespace {

using Calls = std::vector<std::string>;

std::string Line(const std::string &path)
{
    return "Directory " + path + " cannot be removed\n";
}

class Removing : public FakeTest {};

TEST_F(Removing, EmptiedTargetInAnEmptyParentGoesWithItsParentSilently)
{
    fake::TheWorld().directories["/t"];
    fake::TheWorld().directories["/t/setup"];
    fake::TheWorld().currentDirectory = "/t/setup";

    RemoveDirectoryAndParent();

    // The fake refuses to remove the directory a process stands in: each
    // removal must come after the step up.
    EXPECT_EQ(fake::Calls(), (Calls{
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
    EXPECT_EQ(fake::TheWorld().currentDirectory, "/");
}

struct OutcomeCase {
    std::string name;
    std::string start;
    std::map<std::string, std::vector<std::string>> directories;  // path -> entries
    std::string stderrText;
    std::vector<std::string> remaining;  // directories still there
};

void PrintTo(const OutcomeCase &c, std::ostream *out) { *out << c.name; }

class RemovalOutcomes : public FakeTest, public testing::WithParamInterface<OutcomeCase> {};

TEST_P(RemovalOutcomes, WriteOneLinePerDirectoryLeftInPassOrder)
{
    const OutcomeCase &c = GetParam();
    for (const auto &directory : c.directories) {
        fake::Directory &d = fake::TheWorld().directories[directory.first];
        for (const std::string &name : directory.second)
            d.entries.push_back(fake::File(name));
    }
    fake::TheWorld().currentDirectory = c.start;

    RemoveDirectoryAndParent();

    EXPECT_EQ(Stderr(), c.stderrText);
    EXPECT_EQ(CallsStartingWith("RemoveDirectoryA(").size(), 2u) << "both passes try";
    std::vector<std::string> remaining;
    for (const auto &directory : fake::TheWorld().directories)
        remaining.push_back(directory.first);
    EXPECT_EQ(remaining, c.remaining);
    // Nothing inside a directory is ever removed on the way.
    EXPECT_EQ(CallsStartingWith("Remove(").size(), 0u);
    for (const auto &directory : c.directories) {
        if (fake::DirectoryExists(directory.first)) {
            EXPECT_EQ(fake::EntryNames(directory.first), directory.second);
        }
    }
}

INSTANTIATE_TEST_SUITE_P(
    Removing, RemovalOutcomes,
    testing::Values(
        // The parent holds something else: only its line.
        OutcomeCase{"ParentHasOtherContent", "/t/setup",
                    {{"/t", {"other"}}, {"/t/setup", {}}}, Line("/t"), {"/t"}},
        // A file left in the target: its line, then the parent's.
        OutcomeCase{"TargetNotEmpty", "/t/setup",
                    {{"/t", {}}, {"/t/setup", {"left.dat"}}}, Line("/t/setup") + Line("/t"),
                    {"/t", "/t/setup"}},
        // Started at the root: both passes try it and both report it.
        OutcomeCase{"AtTheRoot", "/", {{"/t", {}}}, Line("/") + Line("/"), {"/t"}},
        // Names keep their blanks.
        OutcomeCase{"BlanksInPaths", "/my dir/set up", {{"/my dir", {"x"}}, {"/my dir/set up", {}}},
                    Line("/my dir"), {"/my dir"}}),
    CaseName<OutcomeCase>);

struct LengthCase {
    std::string name;
    std::size_t length;  // of the target's full path
};

void PrintTo(const LengthCase &c, std::ostream *out) { *out << c.name; }

class LongPaths : public FakeTest, public testing::WithParamInterface<LengthCase> {};

TEST_P(LongPaths, DirectoryIsRemovedByItsFullPath)
{
    // /aaa...a/setup, the parent as long as the length asks for.
    std::string parent = "/" + std::string(GetParam().length - 7, 'a');
    std::string target = parent + "/setup";
    ASSERT_EQ(target.size(), GetParam().length);
    fake::TheWorld().directories[parent];
    fake::TheWorld().directories[target];
    fake::TheWorld().currentDirectory = target;

    RemoveDirectoryAndParent();

    EXPECT_EQ(CallsStartingWith("RemoveDirectoryA("),
              (Calls{"RemoveDirectoryA(" + target + ")", "RemoveDirectoryA(" + parent + ")"}));
    EXPECT_EQ(Stderr(), "");
    EXPECT_FALSE(fake::DirectoryExists(target));
    EXPECT_FALSE(fake::DirectoryExists(parent));
}

INSTANTIATE_TEST_SUITE_P(
    Removing, LongPaths,
    testing::Values(LengthCase{"Short", 12},
                    // The longest that fits the 260-character buffer with its zero.
                    LengthCase{"Fits259", 259},
                    // One more and the first read only tells the size needed.
                    LengthCase{"Needs261", 260}, LengthCase{"Needs262", 261},
                    LengthCase{"Over300", 300}, LengthCase{"Over4000", 4000}),
    CaseName<LengthCase>);

TEST_F(Removing, DirectoryWithoutAPathIsNeverRemovedByAGuess)
{
    // A follow-up program removed the target under the tool.
    fake::TheWorld().directories["/t"];
    fake::TheWorld().currentDirectory = "/t/setup";
    fake::TheWorld().currentDirectoryHasPath = false;

    RemoveDirectoryAndParent();

    EXPECT_EQ(CallsStartingWith("RemoveDirectoryA("), Calls{});
    EXPECT_EQ(CallsStartingWith("GetCurrentDirectoryA(").size(), 2u);
    EXPECT_TRUE(fake::DirectoryExists("/t"));
}

TEST_F(Removing, FailedReadInTheSecondPassDoesNotReuseTheFirstPath)
{
    fake::TheWorld().directories["/t"];
    fake::TheWorld().directories["/t/setup"];
    fake::TheWorld().currentDirectory = "/t/setup";
    // GetCurrentDirectoryA, SetCurrentDirectoryA(..), RemoveDirectoryA, then
    // the second pass's GetCurrentDirectoryA.
    fake::FailFallibleCall(4);

    RemoveDirectoryAndParent();

    ASSERT_EQ(fake::InjectedFailure(), "GetCurrentDirectoryA#2");
    EXPECT_EQ(CallsStartingWith("RemoveDirectoryA("), Calls{"RemoveDirectoryA(/t/setup)"});
    EXPECT_TRUE(fake::DirectoryExists("/t"));
}

}  // namespace
