// Emptying and removal when every entry can go: whatever attributes a file
// has, it is deleted, the run writes nothing and ends with status 0, and
// the target and its parent are removed.
#include <gtest/gtest.h>

#include <ostream>

#include <cstdlib>
#include <sstream>

#include "leftover_tree.h"

namespace winetest {
namespace {

using testsupport::Exists;

constexpr unsigned long kReadOnly = 0x01;
constexpr unsigned long kHidden = 0x02;
constexpr unsigned long kSystem = 0x04;
constexpr unsigned long kArchive = 0x20;

struct File {
    std::string name;
    unsigned long attributes = 0;  // DOS attributes given through Win32
    unsigned mode = 0644;          // the Linux mode it is created with
};

struct EmptyingCase {
    const char *name;
    std::vector<File> files;
    bool parentHoldsMore = false;  // the parent has an entry of its own
};

// Failures name the case, not its bytes.
void PrintTo(const EmptyingCase &c, std::ostream *os)
{
    *os << c.name;
}

std::vector<File> ManyFiles()
{
    std::vector<File> files;
    files.reserve(60);
    for (int i = 0; i < 60; ++i)
        files.push_back({"file" + std::to_string(i) + ".dat"});
    return files;
}

// Gives the files their attributes through Win32 and checks that Wine kept
// them, so that a case never passes on a file that lacked them.
void SetAttributes(const std::string &directory, const std::vector<File> &files)
{
    std::vector<std::string> args;
    std::vector<unsigned long> wanted;
    for (const auto &file : files) {
        if (file.attributes == 0)
            continue;
        std::ostringstream hex;
        hex << std::hex << file.attributes;
        args.push_back(hex.str());
        args.push_back(ToWindowsPath(directory + "/" + file.name));
        wanted.push_back(file.attributes);
    }
    if (args.empty())
        return;
    auto result = RunHelper("set_attributes", args);
    ASSERT_EQ(result.exitStatus, 0) << result.stderrText;
    std::istringstream lines(result.stdoutText);
    for (unsigned long attributes : wanted) {
        std::string line;
        ASSERT_TRUE(std::getline(lines, line));
        unsigned long got = std::strtoul(line.c_str(), nullptr, 16);
        ASSERT_EQ(got & attributes, attributes) << "Wine did not keep the attributes";
    }
}

class Emptying : public ::testing::TestWithParam<EmptyingCase> {};

TEST_P(Emptying, DeletesEveryFileAndRemovesTheDirectories)
{
    const EmptyingCase &c = GetParam();
    LeftoverTree tree;
    for (const auto &file : c.files)
        testsupport::WriteFile(tree.target + "/" + file.name, "left over", file.mode);
    ASSERT_NO_FATAL_FAILURE(SetAttributes(tree.target, c.files));
    if (c.parentHoldsMore)
        testsupport::WriteFile(tree.parent + "/other.txt", "not the setup's");

    auto result = RunTool({tree.TargetArgument(), "Tarnwell Setup"});

    EXPECT_EQ(result.exitStatus, 0);
    EXPECT_EQ(result.stderrText, c.parentHoldsMore ? DirectoryLine(tree.parent) : "");
    EXPECT_FALSE(Exists(tree.target));
    EXPECT_EQ(Exists(tree.parent), c.parentHoldsMore);
    if (c.parentHoldsMore) {
        EXPECT_EQ(testsupport::ReadFile(tree.parent + "/other.txt"), "not the setup's");
    }
}

INSTANTIATE_TEST_SUITE_P(
    Wine, Emptying,
    ::testing::Values(
        EmptyingCase{"NothingInTarget", {}},
        // Blanks in a name, no extension, a long name: all bare names.
        EmptyingCase{"PlainFiles", {{"setup.ini"}, {"setup log.txt"}, {"README"},
                                    {"a name longer than eight dot three.data"}}},
        // Wine refuses to delete a read-only file, as Windows does: the
        // attribute has to be cleared first.
        EmptyingCase{"ReadOnlyFile", {{"readonly.dll", kReadOnly}}},
        EmptyingCase{"ReadOnlyByLinuxMode", {{"readonly.txt", 0, 0444}}},
        EmptyingCase{"HiddenFile", {{"hidden.dat", kHidden}}},
        EmptyingCase{"SystemFile", {{"system.dat", kSystem}}},
        EmptyingCase{"ReadOnlyHiddenSystemArchive",
                     {{"all.sys", kReadOnly | kHidden | kSystem | kArchive}}},
        // Wine lists a name with a leading dot as hidden.
        EmptyingCase{"DotFile", {{".setup-state"}}},
        // Enough entries for several reads of the listing; the last one
        // listed is deleted like the others.
        EmptyingCase{"ManyFiles", ManyFiles()},
        EmptyingCase{"ParentHoldsMore", {{"setup.ini"}}, true}),
    [](const auto &info) { return std::string(info.param.name); });

}  // namespace
}  // namespace winetest
