// The backend's class-library services called directly under Wine (through
// helpers/backend_probe.cpp), for what the tool's runs do not show: the
// error mode, the status record's fields, the attribute and time
// write-back, and the exceptions with their system error codes.
#include <gtest/gtest.h>

#include <ostream>
#include <sstream>
#include <sys/stat.h>

#include "support/temp_dir.h"
#include "wine_env.h"

namespace winetest {
namespace {

using testsupport::Exists;

std::string RunProbe(const std::vector<std::string> &args, const std::string &directory)
{
    std::vector<std::string> argv = {WinePath(), HelperExe("backend_probe")};
    argv.insert(argv.end(), args.begin(), args.end());
    testsupport::RunOptions options;
    options.workingDirectory = directory;
    auto result = testsupport::RunProgram(argv, options);
    EXPECT_EQ(result.exitStatus, 0) << result.stderrText;
    return result.stdoutText;
}

struct Stat {
    unsigned mode;
    long long mtime;
};

Stat StatOf(const std::string &path)
{
    struct stat st = {};
    EXPECT_EQ(lstat(path.c_str(), &st), 0) << path;
    return {static_cast<unsigned>(st.st_mode & 07777), static_cast<long long>(st.st_mtime)};
}

// "1 ATTR MTIME CTIME ATIME SIZE FULLNAME" as backend_probe prints it.
struct Record {
    unsigned attribute = 0;
    long long mtime = 0, ctime = 0, atime = 0;
    unsigned long size = 0;
    std::string fullName;
};

Record ParseRecord(const std::string &text)
{
    std::istringstream in(text);
    int found = 0;
    Record r;
    in >> found >> std::hex >> r.attribute >> std::dec >> r.mtime >> r.ctime >> r.atime >> r.size;
    std::getline(in >> std::ws, r.fullName);
    if (!r.fullName.empty() && r.fullName.back() == '\r')
        r.fullName.pop_back();
    EXPECT_EQ(found, 1) << text;
    return r;
}

TEST(Backend, AfxWinInitAddsTheNoDialogFlagsToTheModeInForce)
{
    testsupport::TempDir dir;
    // Started, and 0x0002 (set before) kept beside 0x0001 and 0x8000.
    EXPECT_EQ(RunProbe({"errormode"}, dir.path()), "1 8003\r\n");
}

TEST(Backend, GetStatusFillsTheRecord)
{
    testsupport::TempDir dir;
    testsupport::WriteFile(dir / "setup.ini", "hello", 0444);
    Record r = ParseRecord(RunProbe({"status", "setup.ini"}, dir.path()));
    EXPECT_EQ(r.attribute & 0x01, 0x01u) << "read-only";
    EXPECT_EQ(r.attribute & 0x80, 0u) << "masked to the record's bits";
    EXPECT_EQ(r.mtime, StatOf(dir / "setup.ini").mtime);
    EXPECT_NE(r.ctime, 0);
    EXPECT_NE(r.atime, 0);
    EXPECT_EQ(r.size, 5u);
    EXPECT_EQ(r.fullName, ToWindowsPath(dir / "setup.ini"));
}

TEST(Backend, GetStatusIsFalseForNoSuchEntryAndForAPattern)
{
    testsupport::TempDir dir;
    testsupport::WriteFile(dir / "setup.ini", "x");
    EXPECT_EQ(RunProbe({"status", "missing.ini"}, dir.path()), "0\r\n");
    // A wildcard would otherwise report whatever entry it matches.
    EXPECT_EQ(RunProbe({"status", "setup.*"}, dir.path()), "0\r\n");
}

struct WriteBackCase {
    const char *name;
    unsigned modeBefore;
    const char *attribute;  // the record's byte, hexadecimal
    bool readOnlyAfter;
};

void PrintTo(const WriteBackCase &c, std::ostream *os)
{
    *os << c.name;
}

class WriteBack : public ::testing::TestWithParam<WriteBackCase> {};

// The attribute change and the new time both land, whichever way the
// read-only bit goes: the time is never written to an entry that is
// read-only at that moment.
TEST_P(WriteBack, SetsAttributesAndTime)
{
    const WriteBackCase &c = GetParam();
    testsupport::TempDir dir;
    testsupport::WriteFile(dir / "setup.ini", "x", c.modeBefore);
    constexpr long long kTime = 1000000000;

    Record r = ParseRecord(
        RunProbe({"setstatus", "setup.ini", c.attribute, std::to_string(kTime)}, dir.path()));

    Stat after = StatOf(dir / "setup.ini");
    EXPECT_EQ(after.mtime, kTime);
    EXPECT_EQ((after.mode & 0222) == 0, c.readOnlyAfter) << std::oct << after.mode;
    EXPECT_EQ((r.attribute & 0x01) != 0, c.readOnlyAfter);
}

INSTANTIATE_TEST_SUITE_P(Wine, WriteBack,
                         ::testing::Values(WriteBackCase{"ClearReadOnly", 0444, "20", false},
                                           WriteBackCase{"SetReadOnly", 0644, "21", true},
                                           WriteBackCase{"KeepReadOnly", 0444, "21", true}),
                         [](const auto &info) { return std::string(info.param.name); });

struct RemoveCase {
    const char *name;
    const char *entry;
    const char *output;  // cause and system error code
};

void PrintTo(const RemoveCase &c, std::ostream *os)
{
    *os << c.name;
}

class RemoveFailure : public ::testing::TestWithParam<RemoveCase> {};

TEST_P(RemoveFailure, ThrowsWithTheSystemErrorCode)
{
    testsupport::TempDir dir;
    testsupport::WriteFile(dir / "setup.ini", "x");
    testsupport::MakeDirectory(dir / "sub");

    EXPECT_EQ(RunProbe({"remove", GetParam().entry}, dir.path()), GetParam().output);
    EXPECT_TRUE(Exists(dir / "setup.ini"));
    EXPECT_TRUE(Exists(dir / "sub"));
}

INSTANTIATE_TEST_SUITE_P(
    Wine, RemoveFailure,
    ::testing::Values(
        // fileNotFound, ERROR_FILE_NOT_FOUND
        RemoveCase{"NoSuchFile", "missing.ini", "exception 2 2\r\n"},
        // accessDenied, ERROR_ACCESS_DENIED: a directory is never deleted
        RemoveCase{"Directory", "sub", "exception 3 5\r\n"},
        // genericException, ERROR_INVALID_NAME: no pattern deletes anything
        RemoveCase{"Pattern", "setup.*", "exception 1 123\r\n"}),
    [](const auto &info) { return std::string(info.param.name); });

}  // namespace
}  // namespace winetest
