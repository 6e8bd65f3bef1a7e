// What a user gets on disk, from `cmake --install --prefix` and from the
// .deb unpacked into a scratch root: exactly the program, its compressed
// manual page and the documents, and a program that works from there.
#include <cstdlib>
#include <gtest/gtest.h>
#include <string>
#include <vector>

#include "package/package_files.h"
#include "support/temp_dir.h"

namespace {

using packagetest::RunTool;
using testsupport::Exists;
using testsupport::ListDirectory;
using testsupport::MakeDirectory;
using testsupport::ReadFile;
using testsupport::WriteFile;

struct TreeCase {
    const char *name;
    bool fromDeb;  // else the `cmake --install` tree
};

class InstalledTree : public testing::TestWithParam<TreeCase> {
protected:
    void SetUp() override
    {
        if (GetParam().fromDeb) {
            ASSERT_TRUE(packagetest::ExtractDeb(root_.path()));
            // Everything a .deb ships for this tool lives under /usr.
            EXPECT_EQ(ListDirectory(root_.path()), std::vector<std::string>{"usr"});
            prefix_ = root_ / "usr";
        } else {
            prefix_ = packagetest::InstallPrefix();
        }
    }

    std::string Installed(const std::string &relative) const { return prefix_ + "/" + relative; }

    testsupport::TempDir root_;
    std::string prefix_;
};

TEST_P(InstalledTree, HoldsTheProgramManualPageAndDocumentsOnly)
{
    std::vector<std::string> expected = {
        "bin/aftersetup 0755",
        "share/doc/aftersetup/changelog.gz 0644",
        "share/doc/aftersetup/copyright 0644",
        "share/man/man1/aftersetup.1.gz 0644",
    };
    EXPECT_EQ(packagetest::ListFilesWithModes(prefix_), expected);
    EXPECT_EQ(ReadFile(Installed("share/doc/aftersetup/copyright")),
              ReadFile(packagetest::SourceDir() + "/LICENSE"));
}

// Debian wants gzip -9 without the file's name and time in the header, so
// that the same text always packs to the same bytes; and what unpacks must
// be the text itself.
TEST_P(InstalledTree, CompressedDocumentsAreReproducibleCopiesOfTheirSources)
{
    struct Compressed {
        const char *installed;
        const char *source;
    };
    for (const Compressed &c : {Compressed{"share/man/man1/aftersetup.1.gz", "man/aftersetup.1"},
                                Compressed{"share/doc/aftersetup/changelog.gz", "packaging/changelog"}}) {
        SCOPED_TRACE(c.installed);
        std::string packed = ReadFile(Installed(c.installed));
        ASSERT_GE(packed.size(), 10u);
        EXPECT_EQ(packed.substr(0, 3), std::string("\x1f\x8b\x08", 3)) << "not gzip";
        EXPECT_EQ(packed[3] & 0x08, 0) << "the original file name is stored";
        EXPECT_EQ(packed.substr(4, 4), std::string(4, '\0')) << "a time stamp is stored";
        EXPECT_EQ(packed[8], 2) << "not packed with the best compression";

        testsupport::RunResult unpacked = RunTool("gzip", {"-dc", Installed(c.installed)});
        EXPECT_EQ(unpacked.exitStatus, 0) << unpacked.stderrText;
        EXPECT_EQ(unpacked.stdoutText, ReadFile(packagetest::SourceDir() + "/" + c.source));
    }
}

// man finds the installed page by name under that prefix and renders it,
// compressed as it is, without a warning.
TEST_P(InstalledTree, ManShowsTheInstalledPage)
{
    testsupport::RunResult page =
        RunTool("man", {"--warnings", "-M", Installed("share/man"), "aftersetup"});
    EXPECT_EQ(page.exitStatus, 0);
    EXPECT_EQ(page.stderrText, "");
    EXPECT_NE(page.stdoutText.find("DIAGNOSTICS"), std::string::npos) << page.stdoutText;
}

// The installed program on a setup's leftover directory inside a parent
// that holds nothing else: a read-only file, a hidden file and a follow-up
// program that leaves a trace outside. Both directories go, nothing is
// written and, with no setup window and nothing left over, nothing waits.
TEST_P(InstalledTree, ProgramEmptiesAndRemovesALeftoverDirectory)
{
    testsupport::TempDir scratch;
    std::string vendor = scratch / "vendor";
    std::string leftover = vendor + "/setup.tmp";
    std::string trace = scratch / "trace";
    MakeDirectory(vendor);
    MakeDirectory(leftover);
    WriteFile(leftover + "/readme.txt", "read-only\n", 0444);
    WriteFile(leftover + "/.state", "hidden\n", 0600);
    WriteFile(leftover + "/post-install", "#!/bin/sh\npwd -P > '" + trace + "'\n", 0755);

    testsupport::RunOptions options;
    options.unsetEnv = {"DISPLAY", "XAUTHORITY"};
    testsupport::RunResult run = testsupport::RunProgram(
        {Installed("bin/aftersetup"), leftover, "Example Setup", "post-install"}, options);

    EXPECT_EQ(run.exitStatus, 0);
    EXPECT_EQ(run.stderrText, "");
    EXPECT_EQ(run.stdoutText, "");
    EXPECT_LT(run.elapsed.count(), 2500);
    EXPECT_FALSE(Exists(vendor));
    EXPECT_EQ(ListDirectory(scratch.path()), std::vector<std::string>{"trace"});
    char *real = realpath(scratch.path().c_str(), nullptr);
    ASSERT_NE(real, nullptr);
    EXPECT_EQ(ReadFile(trace), std::string(real) + "/vendor/setup.tmp\n");
    free(real);
}

INSTANTIATE_TEST_SUITE_P(Package, InstalledTree,
                         testing::Values(TreeCase{"CmakeInstall", false},
                                         TreeCase{"DebianPackage", true}),
                         [](const testing::TestParamInfo<TreeCase> &info) {
                             return std::string(info.param.name);
                         });

}  // namespace
