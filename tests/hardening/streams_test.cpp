// Standard error that leads nowhere changes neither the clean-up nor the
// exit status; a broken pipe does not end the process.
#include <gtest/gtest.h>
#include <unistd.h>

#include "hardening/hostile_run.h"
#include "hardening/layout.h"

namespace hardening {
namespace {

struct StreamCase {
    const char *name;
    ErrorStream kind;
};

void PrintTo(const StreamCase &c, std::ostream *os)
{
    *os << c.name;
}

class BrokenErrorStream : public testing::TestWithParam<StreamCase> {};

// One entry stays, so the tool has lines to write after the pause.
TEST_P(BrokenErrorStream, ChangesNeitherTheCleanUpNorTheExitStatus)
{
    Layout layout;
    testsupport::MakeDirectory(layout.InTarget("stays"));
    testsupport::WriteFile(layout.InTarget("read-only"), "bytes", 0444);
    testsupport::WriteFile(layout.InTarget("plain"), "bytes", 0644);

    HostileSetup setup;
    setup.stderrKind = GetParam().kind;
    HostileResult run = RunTool(ArgsFor(layout), setup);

    EXPECT_EQ(run.termSignal, 0);
    EXPECT_EQ(run.exitStatus, 0);
    EXPECT_EQ(testsupport::ListDirectory(layout.target), std::vector<std::string>{"stays"});
    EXPECT_EQ(testsupport::ListDirectory(layout.parent), std::vector<std::string>{"target"});
    EXPECT_GE(run.elapsed.count(), 2900) << "the pause after the failed entry";
    if (GetParam().kind == ErrorStream::captured) {
        EXPECT_TRUE(IsReportFor(run.stderrText, layout, {"stays"})) << run.stderrText;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Hardening, BrokenErrorStream,
    testing::Values(StreamCase{"Captured", ErrorStream::captured},
                    StreamCase{"Closed", ErrorStream::closed},
                    StreamCase{"FullDevice", ErrorStream::fullDevice},
                    StreamCase{"PipeWithoutReader", ErrorStream::brokenPipe}),
    [](const testing::TestParamInfo<StreamCase> &info) { return std::string(info.param.name); });

// With descriptor 2 closed at start, the slot is filled before anything
// else can take it: a follow-up program finds neither a directory nor any
// other of the tool's own files there, also where /dev/null is missing.
class ClosedStandardStreams : public testing::TestWithParam<bool> {};

TEST_P(ClosedStandardStreams, AreNotTakenByTheToolsOwnFiles)
{
    Layout layout;
    std::string record = layout.Outside("descriptors");
    std::string probe = layout.Outside("probe");
    WriteScript(probe, "for fd in 0 1 2; do\n"
                       "  echo \"$(readlink /proc/$$/fd/$fd || echo closed)\" >> '" + record + "'\n"
                       "done\nprintf x >&2 && echo writable >> '" + record + "'\n");
    HostileSetup setup;
    setup.stderrKind = ErrorStream::closed;
    setup.withoutDevNull = GetParam();
    HostileResult run = RunTool(ArgsFor(layout, {probe}), setup);

    EXPECT_EQ(run.exitStatus, 0);
    std::string seen = testsupport::ReadFile(record);
    std::string lines[4];
    std::size_t at = 0;
    for (auto &line : lines) {
        std::size_t end = seen.find('\n', at);
        line = seen.substr(at, end - at);
        at = end == std::string::npos ? seen.size() : end + 1;
    }
    EXPECT_EQ(lines[0], "/dev/null"); // the test's own standard input
    EXPECT_EQ(lines[1], "/dev/null");
    if (GetParam()) {
        EXPECT_EQ(lines[2].rfind("pipe:", 0), 0u) << seen;
    } else {
        EXPECT_EQ(lines[2], "/dev/null") << seen;
        EXPECT_EQ(lines[3], "writable") << seen;
    }
    EXPECT_FALSE(testsupport::Exists(layout.target));
}

INSTANTIATE_TEST_SUITE_P(Hardening, ClosedStandardStreams, testing::Bool(),
                         [](const testing::TestParamInfo<bool> &info) {
                             return std::string(info.param ? "WithoutDevNull" : "WithDevNull");
                         });

} // namespace
} // namespace hardening
