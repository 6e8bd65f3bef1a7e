// The .deb itself: its control fields, with the library dependencies
// dpkg-shlibdeps worked out, and its member list as dpkg will unpack it.
#include <algorithm>
#include <gtest/gtest.h>
#include <sstream>
#include <string>
#include <vector>

#include "package/package_files.h"

namespace {

using packagetest::RunTool;

std::string Field(const std::string &deb, const std::string &name)
{
    testsupport::RunResult result = RunTool("dpkg-deb", {"-f", deb, name});
    EXPECT_EQ(result.exitStatus, 0) << result.stderrText;
    std::string value = result.stdoutText;
    while (!value.empty() && value.back() == '\n')
        value.pop_back();
    return value;
}

// "libc6 (>= 2.34), libxcb1" -> {"libc6", "libxcb1"}
std::vector<std::string> PackageNames(const std::string &relations)
{
    std::vector<std::string> names;
    std::istringstream in(relations);
    std::string relation;
    while (std::getline(in, relation, ',')) {
        std::istringstream words(relation);
        std::string name;
        words >> name;
        names.push_back(name);
    }
    return names;
}

TEST(DebianPackage, ControlFieldsNameTheToolItsVersionAndItsLibraries)
{
    std::string deb = packagetest::DebPath();
    ASSERT_FALSE(deb.empty());
    testsupport::RunResult arch = RunTool("dpkg", {"--print-architecture"});
    ASSERT_EQ(arch.exitStatus, 0);
    std::string architecture = arch.stdoutText.substr(0, arch.stdoutText.find('\n'));

    EXPECT_EQ(Field(deb, "Package"), "aftersetup");
    EXPECT_EQ(Field(deb, "Version"), packagetest::ProjectVersion());
    EXPECT_EQ(Field(deb, "Architecture"), architecture);
    EXPECT_EQ(Field(deb, "Section"), "utils");
    EXPECT_NE(Field(deb, "Maintainer").find('<'), std::string::npos);
    // A synopsis line and an extended description below it.
    EXPECT_NE(Field(deb, "Description").find("\n "), std::string::npos);
    // apt install ./aftersetup_*.deb, as the README says.
    EXPECT_EQ(deb.substr(deb.rfind('/') + 1),
              "aftersetup_" + packagetest::ProjectVersion() + "_" + architecture + ".deb");

    std::vector<std::string> depends = PackageNames(Field(deb, "Depends"));
    for (const char *library : {"libc6", "libstdc++6", "libgcc-s1", "libxcb1"}) {
        EXPECT_NE(std::find(depends.begin(), depends.end(), library), depends.end())
            << library << " missing from Depends";
    }
}

// dpkg unpacks the members as listed: owned by root, directories open to
// all, and nothing outside /usr.
TEST(DebianPackage, MembersAreRootOwnedAndUnderUsr)
{
    std::string deb = packagetest::DebPath();
    ASSERT_FALSE(deb.empty());
    testsupport::RunResult listing = RunTool("dpkg-deb", {"-c", deb});
    ASSERT_EQ(listing.exitStatus, 0) << listing.stderrText;

    std::vector<std::string> members;
    std::istringstream lines(listing.stdoutText);
    std::string line;
    while (std::getline(lines, line)) {
        std::istringstream fields(line);
        std::string mode, owner, size, date, time, path;
        fields >> mode >> owner >> size >> date >> time >> path;
        EXPECT_EQ(owner, "root/root") << path;
        members.push_back(mode + " " + path);
    }
    std::sort(members.begin(), members.end(), [](const std::string &a, const std::string &b) {
        return a.substr(11) < b.substr(11);
    });
    std::vector<std::string> expected = {
        "drwxr-xr-x ./usr/",
        "drwxr-xr-x ./usr/bin/",
        "-rwxr-xr-x ./usr/bin/aftersetup",
        "drwxr-xr-x ./usr/share/",
        "drwxr-xr-x ./usr/share/doc/",
        "drwxr-xr-x ./usr/share/doc/aftersetup/",
        "-rw-r--r-- ./usr/share/doc/aftersetup/changelog.gz",
        "-rw-r--r-- ./usr/share/doc/aftersetup/copyright",
        "drwxr-xr-x ./usr/share/man/",
        "drwxr-xr-x ./usr/share/man/man1/",
        "-rw-r--r-- ./usr/share/man/man1/aftersetup.1.gz",
    };
    EXPECT_EQ(members, expected);
}

}  // namespace
