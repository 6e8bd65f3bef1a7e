// Follow-up programs: named by bare name, found in the target directory,
// run there one after another, each to its end before the next one starts
// and before anything is deleted; one that cannot be started is passed over.
#include <gtest/gtest.h>

#include <ostream>

#include <fstream>
#include <sstream>

#include "leftover_tree.h"

namespace winetest {
namespace {

using testsupport::Exists;

constexpr int kProbeMs = 700;

// One line of the probe's log (see helpers/probe.cpp).
struct ProbeRun {
    std::string name;
    int argc = -1;
    std::string commandLine;
    std::string directory;
    unsigned long long startMs = 0;
    unsigned long long endMs = 0;
    bool markerPresent = false;
};

std::vector<ProbeRun> ReadProbeLog(const std::string &path)
{
    std::vector<ProbeRun> runs;
    std::istringstream lines(testsupport::ReadFile(path));
    std::string line;
    while (std::getline(lines, line)) {
        std::istringstream fields(line);
        ProbeRun run;
        std::string argc, start, end, marker;
        std::getline(fields, run.name, '\t');
        std::getline(fields, argc, '\t');
        std::getline(fields, run.commandLine, '\t');
        std::getline(fields, run.directory, '\t');
        std::getline(fields, start, '\t');
        std::getline(fields, end, '\t');
        std::getline(fields, marker, '\t');
        run.argc = std::stoi(argc);
        run.startMs = std::stoull(start);
        run.endMs = std::stoull(end);
        run.markerPresent = marker == "1";
        runs.push_back(run);
    }
    return runs;
}

void CopyProbe(const std::string &to)
{
    std::ifstream in(HelperExe("probe"), std::ios::binary);
    std::ofstream out(to, std::ios::binary);
    out << in.rdbuf();
}

struct FollowUpCase {
    const char *name;
    std::vector<std::string> probes;    // copies of the probe in the target
    std::vector<std::string> programs;  // the arguments after the title
    std::vector<std::string> expected;  // the programs that ran, in order
};

// Failures name the case, not its bytes.
void PrintTo(const FollowUpCase &c, std::ostream *os)
{
    *os << c.name;
}

class FollowUp : public ::testing::TestWithParam<FollowUpCase> {};

TEST_P(FollowUp, RunInTheTargetOneAfterAnother)
{
    const FollowUpCase &c = GetParam();
    LeftoverTree tree;
    for (const auto &probe : c.probes)
        CopyProbe(tree.target + "/" + probe);
    testsupport::WriteFile(tree.target + "/marker.txt", "deleted only after the programs");
    const std::string log = tree.base / "probe.log";

    std::vector<std::string> args = {tree.TargetArgument(), "Tarnwell Setup"};
    args.insert(args.end(), c.programs.begin(), c.programs.end());
    testsupport::RunOptions options;
    options.workingDirectory = tree.base.path();
    options.env["AFTERSETUP_PROBE_LOG"] = ToWindowsPath(log);
    options.env["AFTERSETUP_PROBE_MS"] = std::to_string(kProbeMs);
    auto result = RunTool(args, options);

    EXPECT_EQ(result.exitStatus, 0);
    // A program still running when its file is deleted would cost a line.
    EXPECT_EQ(result.stderrText, "");
    EXPECT_FALSE(Exists(tree.target));
    EXPECT_FALSE(Exists(tree.parent));

    std::vector<ProbeRun> runs = ReadProbeLog(log);
    ASSERT_EQ(runs.size(), c.expected.size());
    for (std::size_t i = 0; i < runs.size(); ++i) {
        SCOPED_TRACE(runs[i].name);
        EXPECT_EQ(runs[i].name, c.expected[i]);
        EXPECT_EQ(runs[i].directory, tree.TargetArgument());
        EXPECT_TRUE(runs[i].markerPresent) << "the target was emptied while it ran";
        // No arguments: Wine puts the program's name in an empty command
        // line, so one argument is all there may be.
        EXPECT_LE(runs[i].argc, 1) << runs[i].commandLine;
        EXPECT_EQ(runs[i].commandLine.find("Tarnwell"), std::string::npos);
        if (i > 0) {
            EXPECT_GE(runs[i].startMs, runs[i - 1].endMs) << "started before the last one ended";
        }
    }
}

INSTANTIATE_TEST_SUITE_P(
    Wine, FollowUp,
    ::testing::Values(
        FollowUpCase{"NoPrograms", {"first.exe"}, {}, {}},
        FollowUpCase{"TwoInOrder", {"first.exe", "second.exe"}, {"first.exe", "second.exe"},
                     {"first.exe", "second.exe"}},
        FollowUpCase{"OrderOfTheCommandLine", {"first.exe", "second.exe"},
                     {"second.exe", "first.exe"}, {"second.exe", "first.exe"}},
        FollowUpCase{"MissingOnePassedOver", {"second.exe"}, {"missing.exe", "second.exe"},
                     {"second.exe"}},
        // The name is used as given: no extension is added.
        FollowUpCase{"NameWithoutExtension", {"first.exe"}, {"first"}, {}},
        FollowUpCase{"SameProgramTwice", {"first.exe"}, {"first.exe", "first.exe"},
                     {"first.exe", "first.exe"}}),
    [](const auto &info) { return std::string(info.param.name); });

}  // namespace
}  // namespace winetest
