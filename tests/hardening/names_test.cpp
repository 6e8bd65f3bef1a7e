// Names the shell would trip over are plain bytes to the tool: deleted,
// and where an entry stays, reported byte for byte as the directory lists
// it, unquoted.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include "hardening/hostile_run.h"
#include "hardening/layout.h"

namespace hardening {
namespace {

struct NameCase {
    const char *label;
    std::string name;
};

void PrintTo(const NameCase &c, std::ostream *os)
{
    *os << c.label;
}

class OddNames : public testing::TestWithParam<NameCase> {};

// A read-only file of that name is deleted; a subdirectory whose name
// differs only in its last byte stays and is named exactly.
TEST_P(OddNames, AreDeletedAndReportedExactly)
{
    Layout layout;
    const std::string &name = GetParam().name;
    std::string kept = name.substr(0, name.size() - 1) + "D";
    testsupport::WriteFile(layout.InTarget(name), "bytes", 0444);
    testsupport::MakeDirectory(layout.InTarget(kept));

    HostileResult run = RunTool(ArgsFor(layout));

    EXPECT_EQ(run.exitStatus, 0);
    EXPECT_EQ(run.stderrText,
              EntryLine(kept) + DirectoryLine(layout.target) + DirectoryLine(layout.parent));
    EXPECT_EQ(testsupport::ListDirectory(layout.target), std::vector<std::string>{kept});
}

INSTANTIATE_TEST_SUITE_P(
    Hardening, OddNames,
    testing::Values(NameCase{"Blanks", "  two  blanks "},
                    NameCase{"LineFeeds", "line\nfeed\n.x"},
                    NameCase{"LeadingDash", "-rf"},
                    NameCase{"NotUtf8", "\xff\xfe\xc3(latin\xe9)"},
                    NameCase{"Longest", std::string(255, 'n')},
                    NameCase{"WildcardsAndQuotes", "*.* ?\"'$(x)`"}),
    [](const testing::TestParamInfo<NameCase> &info) { return std::string(info.param.label); });

} // namespace
} // namespace hardening
