// The wait for the setup engine: a top-level window of class
// "TarnwellForge_Win" with exactly the given title holds the tool back
// until it has closed; a window of another class or title does not.
#include <gtest/gtest.h>

#include <ostream>

#include <chrono>

#include "leftover_tree.h"
#include "wine_process.h"

namespace winetest {
namespace {

using namespace std::chrono_literals;
using testsupport::Exists;

constexpr char kTitle[] = "Tarnwell Setup";
// Held back: gone at the next look, 3000 ms at most after the window went,
// plus the time Wine takes to start the tool.
constexpr auto kHeldLifetime = 4000ms;
constexpr auto kPollInterval = 3000ms;
constexpr auto kMargin = 3000ms;
// Not held back: the window outlives the run by far.
constexpr auto kIgnoredLifetime = 15000ms;

struct WindowCase {
    const char *name;
    const char *windowClass;
    const char *windowTitle;
    bool holdsBack;
};

// Failures name the case, not its bytes.
void PrintTo(const WindowCase &c, std::ostream *os)
{
    *os << c.name;
}

class SetupWindow : public ::testing::TestWithParam<WindowCase> {};

TEST_P(SetupWindow, HoldsTheToolBackOnlyWhenClassAndTitleMatch)
{
    const WindowCase &c = GetParam();
    LeftoverTree tree;
    testsupport::WriteFile(tree.target + "/setup.ini", "x");
    auto lifetime = c.holdsBack ? kHeldLifetime : kIgnoredLifetime;
    WineProcess holder(HelperExe("window_holder"),
                       {c.windowClass, c.windowTitle, std::to_string(lifetime.count())});
    ASSERT_TRUE(holder.WaitForLine("ready", 30s)) << "the window could not be created";

    auto result = RunTool({tree.TargetArgument(), kTitle});

    EXPECT_EQ(result.exitStatus, 0);
    EXPECT_EQ(result.stderrText, "");
    EXPECT_FALSE(Exists(tree.target));
    if (c.holdsBack) {
        EXPECT_TRUE(holder.HasWrittenLine("closed")) << "the tool went on while the window was open";
        EXPECT_LT(result.elapsed, kHeldLifetime + kPollInterval + kMargin);
    } else {
        EXPECT_FALSE(holder.HasWrittenLine("closed")) << "the tool waited for another window";
    }
}

INSTANTIATE_TEST_SUITE_P(
    Wine, SetupWindow,
    ::testing::Values(WindowCase{"MatchingWindow", "TarnwellForge_Win", kTitle, true},
                      WindowCase{"OtherClass", "TarnwellForge_Other", kTitle, false},
                      WindowCase{"OtherTitle", "TarnwellForge_Win", "Tarnwell Setup 2", false},
                      WindowCase{"TitleOnlyBegins", "TarnwellForge_Win", "Tarnwell", false}),
    [](const auto &info) { return std::string(info.param.name); });

}  // namespace
}  // namespace winetest
