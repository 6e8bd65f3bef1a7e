// The built tool waiting for a real setup window on a real X server.
#include <chrono>
#include <future>
#include <string>
#include <thread>

#include <gtest/gtest.h>

#include "fake_x_server.h"
#include "held_window.h"
#include "support/run_tool.h"
#include "support/temp_dir.h"
#include "x11_fixture.h"

namespace x11test {
namespace {

using std::chrono::milliseconds;

constexpr long kPollMs = 3000;
constexpr long kMarginMs = 1500;

// A leftover directory with one file inside an otherwise empty parent.
class ToolWait : public X11Test {
protected:
    void SetUp() override
    {
        X11Test::SetUp();
        testsupport::MakeDirectory(parent());
        testsupport::MakeDirectory(target());
        testsupport::WriteFile(target() + "/leftover.txt", "left by the setup");
    }

    std::string parent() const { return temp_ / "setup"; }
    std::string target() const { return parent() + "/leftover"; }

    testsupport::RunResult RunTool() { return RunTool(display()); }
    testsupport::RunResult RunTool(const std::string &displayName)
    {
        testsupport::RunOptions options;
        options.env["DISPLAY"] = displayName;
        return testsupport::RunProgram({testsupport::ToolPath(), target(), kTitle}, options);
    }

    void ExpectCleanedUp(const testsupport::RunResult &result)
    {
        EXPECT_EQ(result.termSignal, 0);
        EXPECT_EQ(result.exitStatus, 0);
        EXPECT_EQ(result.stderrText, "");
        EXPECT_FALSE(testsupport::Exists(parent())) << "the leftover tree is still there";
    }

private:
    testsupport::TempDir temp_;
};

const std::vector<std::string> kSetupWindow = {"--class", kSetupClass, "--wm-name", kTitle};

TEST_F(ToolWait, WaitsWhileTheWindowExistsAndGoesOnAtTheNextLook)
{
    std::vector<std::string> options = kSetupWindow;
    options.insert(options.end(), {"--frame", "1", "--close-after", "1000", "--watch", target() +
                                   "/leftover.txt"});
    HeldWindow window(display(), options);
    auto result = RunTool();

    EXPECT_NE(window.WaitForExit().find("present " + target()), std::string::npos)
        << "the target changed while the setup window was open";
    EXPECT_GE(result.elapsed.count(), 900);
    EXPECT_LE(result.elapsed.count(), 1000 + kPollMs + kMarginMs);
    ExpectCleanedUp(result);
}

TEST_F(ToolWait, DoesNotWaitForAWindowWithAnotherTitle)
{
    HeldWindow window(display(), {"--class", kSetupClass, "--wm-name", "Setup Wizard (2)"});
    auto result = RunTool();

    EXPECT_LT(result.elapsed.count(), kPollMs / 2) << "the tool slept before going on";
    ExpectCleanedUp(result);
}

// The server refuses the connection: no window, and the refusal's text
// (libxcb writes it to descriptor 2) stays out of the tool's messages.
TEST_F(ToolWait, RefusedConnectionWritesNothing)
{
    FakeXServer refusing(FakeBehaviour::RefuseSetup);
    auto result = RunTool(refusing.display());

    EXPECT_LT(result.elapsed.count(), kPollMs / 2);
    ExpectCleanedUp(result);
}

TEST_F(ToolWait, GoesOnWhenTheServerDiesDuringTheWait)
{
    HeldWindow window(display(), kSetupWindow);
    auto run = std::async(std::launch::async, [this] { return RunTool(); });
    std::this_thread::sleep_for(milliseconds(700));
    ASSERT_EQ(run.wait_for(milliseconds(0)), std::future_status::timeout)
        << "the tool did not wait for the window";
    auto killed = std::chrono::steady_clock::now();
    server().Kill();

    ASSERT_EQ(run.wait_for(milliseconds(kPollMs + kMarginMs)), std::future_status::ready)
        << "the tool still waits after the server died";
    auto result = run.get();
    auto afterKill = std::chrono::duration_cast<milliseconds>(std::chrono::steady_clock::now() -
                                                              killed);
    EXPECT_LE(afterKill.count(), kPollMs + kMarginMs);
    ExpectCleanedUp(result);
}

}  // namespace
}  // namespace x11test
