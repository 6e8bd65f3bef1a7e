// The .exe as Windows sees it before running it: a 32-bit GUI program
// marked for Windows 4.0, importing only the system's own DLLs, with a
// manifest that keeps later Windows versions from asking for elevation.
#include <gtest/gtest.h>

#include <ostream>

#include <algorithm>
#include <cctype>
#include <map>
#include <set>
#include <sstream>

#include "support/temp_dir.h"
#include "wine_env.h"

namespace winetest {
namespace {

// objdump -p: "Name<tabs>value<tab>(comment)" per header field, and one
// "DLL Name: X" per imported DLL.
struct PeDump {
    std::string format;
    std::map<std::string, std::string> fields;
    std::vector<std::string> dlls;
};

PeDump DumpHeaders()
{
    auto result = testsupport::RunProgram({ObjdumpPath(), "-p", ToolExe()});
    EXPECT_EQ(result.exitStatus, 0) << result.stderrText;
    PeDump dump;
    std::istringstream lines(result.stdoutText);
    std::string line;
    while (std::getline(lines, line)) {
        auto format = line.find("file format ");
        if (format != std::string::npos && dump.format.empty())
            dump.format = line.substr(format + 12);
        auto dll = line.find("DLL Name: ");
        if (dll != std::string::npos) {
            dump.dlls.push_back(line.substr(dll + 10));
            continue;
        }
        std::istringstream words(line);
        std::string name, value;
        if (words >> name >> value)
            dump.fields.emplace(name, value);
    }
    return dump;
}

struct HeaderField {
    const char *name;
    const char *value;
};

// Failures name the case, not its bytes.
void PrintTo(const HeaderField &c, std::ostream *os)
{
    *os << c.name;
}

class PeHeader : public ::testing::TestWithParam<HeaderField> {};

TEST_P(PeHeader, HasTheValueWindowsFourNeeds)
{
    PeDump dump = DumpHeaders();
    EXPECT_EQ(dump.format, "pei-i386");
    ASSERT_EQ(dump.fields.count(GetParam().name), 1u);
    EXPECT_EQ(dump.fields[GetParam().name], GetParam().value);
}

INSTANTIATE_TEST_SUITE_P(Wine, PeHeader,
                         ::testing::Values(HeaderField{"Magic", "010b"},  // PE32
                                           HeaderField{"Subsystem", "00000002"},  // GUI
                                           HeaderField{"MajorSubsystemVersion", "4"},
                                           HeaderField{"MinorSubsystemVersion", "0"},
                                           HeaderField{"MajorOSystemVersion", "4"},
                                           HeaderField{"MinorOSystemVersion", "0"}),
                         [](const auto &info) { return std::string(info.param.name); });

std::string Lower(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

TEST(PeImports, OnlySystemDlls)
{
    const std::set<std::string> system = {"kernel32.dll", "user32.dll", "msvcrt.dll",
                                          "advapi32.dll", "gdi32.dll", "shell32.dll"};
    PeDump dump = DumpHeaders();
    std::set<std::string> imported;
    for (const auto &dll : dump.dlls)
        imported.insert(Lower(dll));
    for (const auto &dll : imported)
        EXPECT_EQ(system.count(dll), 1u) << dll << " is not one of the system's DLLs";
    // The window lookup and the file and process calls.
    EXPECT_EQ(imported.count("user32.dll"), 1u);
    EXPECT_EQ(imported.count("kernel32.dll"), 1u);
}

TEST(PeResources, ManifestAsksForNoElevation)
{
    std::string image = testsupport::ReadFile(ToolExe());
    EXPECT_NE(image.find("<requestedExecutionLevel level=\"asInvoker\""), std::string::npos);
}

}  // namespace
}  // namespace winetest
