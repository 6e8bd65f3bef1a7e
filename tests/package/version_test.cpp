// The version the project declares is the one its documents name: the
// manual page's title line, and the changelog's latest entry, which
// Debian's tools read as the package's own.
#include <gtest/gtest.h>
#include <string>

#include "package/package_files.h"
#include "support/temp_dir.h"

namespace {

// The text between start and end on the first line that begins with
// lineStart; empty when there is none.
std::string Between(const std::string &text, const std::string &lineStart,
                    const std::string &start, char end)
{
    std::size_t line = text.rfind(lineStart, 0) == 0 ? 0 : text.find("\n" + lineStart);
    if (line == std::string::npos)
        return std::string();
    std::string first = text.substr(line == 0 ? 0 : line + 1);
    first = first.substr(0, first.find('\n'));
    std::size_t from = first.find(start);
    if (from == std::string::npos)
        return std::string();
    from += start.size();
    return first.substr(from, first.find(end, from) - from);
}

struct VersionCase {
    const char *name;
    const char *file;
    const char *lineStart;
    const char *before;  // what stands just before the version
    char after;
};

class DocumentVersion : public testing::TestWithParam<VersionCase> {};

TEST_P(DocumentVersion, MatchesTheProject)
{
    const VersionCase &c = GetParam();
    std::string text = testsupport::ReadFile(packagetest::SourceDir() + "/" + c.file);
    EXPECT_EQ(Between(text, c.lineStart, c.before, c.after), packagetest::ProjectVersion());
}

INSTANTIATE_TEST_SUITE_P(
    Package, DocumentVersion,
    testing::Values(VersionCase{"ManualPage", "man/aftersetup.1", ".TH ", "\"aftersetup ", '"'},
                    VersionCase{"Changelog", "packaging/changelog", "aftersetup ", "(", ')'}),
    [](const testing::TestParamInfo<VersionCase> &info) { return std::string(info.param.name); });

}  // namespace
