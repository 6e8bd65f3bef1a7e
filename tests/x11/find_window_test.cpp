// FindWindowA against a real X server holding real windows.
#include <atomic>
#include <chrono>
#include <csignal>
#include <dirent.h>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "fake_x_server.h"
#include "held_window.h"
#include "x11_fixture.h"

namespace x11test {
namespace {

struct LookupCase {
    const char *name;
    std::vector<std::string> window;  // hold_window's options
    std::string title = kTitle;       // the title looked for
    bool found = true;
};

void PrintTo(const LookupCase &c, std::ostream *out) { *out << c.name; }

std::string Hex(const std::string &bytes)
{
    static const char digits[] = "0123456789abcdef";
    std::string hex;
    for (unsigned char b : bytes) {
        hex.push_back(digits[b >> 4]);
        hex.push_back(digits[b & 15]);
    }
    return hex;
}

std::string SetupClassProperty(const std::string &instance, const std::string &rest)
{
    return Hex(instance + std::string(1, '\0') + rest);
}

const std::vector<std::string> kSetupWindow = {"--class", kSetupClass, "--wm-name", kTitle,
                                               "--net-wm-name", kTitle};

std::vector<std::string> With(std::vector<std::string> options,
                              const std::vector<std::string> &more)
{
    options.insert(options.end(), more.begin(), more.end());
    return options;
}

std::vector<LookupCase> LookupCases()
{
    const std::string nonUtf8 = "Setup \xff\xfe\x80 Wizard";
    return {
        {"ClassAndTitle", kSetupWindow},
        {"OtherClassSameTitle", {"--class", "Other_Win", "--wm-name", kTitle}, kTitle, false},
        // The class is WM_CLASS's second string; the instance does not count.
        {"ClassOnlyAsInstance",
         {"--instance", kSetupClass, "--class", "Other_Win", "--wm-name", kTitle}, kTitle, false},
        {"ClassDiffersInCase", {"--class", "tarnwellforge_win", "--wm-name", kTitle}, kTitle,
         false},
        {"SameClassOtherTitle", {"--class", kSetupClass, "--wm-name", "Other"}, kTitle, false},
        {"TitleOnlyInNetWmName", {"--class", kSetupClass, "--net-wm-name", kTitle}},
        {"TitleOnlyInWmName", {"--class", kSetupClass, "--wm-name", kTitle}},
        {"NamesDisagreeEitherMatches",
         {"--class", kSetupClass, "--wm-name", "Old title", "--net-wm-name", kTitle}},
        {"TitlePrefixOfWindows", {"--class", kSetupClass, "--wm-name", "Setup Wizard 2"}, kTitle,
         false},
        {"WindowsTitleIsPrefix", {"--class", kSetupClass, "--wm-name", "Setup"}, kTitle, false},
        {"TitleDiffersInCase", {"--class", kSetupClass, "--wm-name", "setup wizard"}, kTitle,
         false},
        {"NonUtf8TitleBytes", {"--class", kSetupClass, "--wm-name", nonUtf8}, nonUtf8},
        {"NonUtf8TitleOneByteOff", {"--class", kSetupClass, "--wm-name", nonUtf8},
         "Setup \xff\xfe\x81 Wizard", false},
        {"EmptyTitleMatchesEmptyName", {"--class", kSetupClass, "--wm-name", ""}, ""},
        {"EmptyTitleMatchesNoName", {"--class", kSetupClass}, ""},
        {"EmptyTitleDoesNotMatchNamed", kSetupWindow, "", false},
        {"NoNameDoesNotMatchTitle", {"--class", kSetupClass}, kTitle, false},
        {"NoClassAtAll", {"--wm-name", kTitle}, kTitle, false},
        {"Unmapped", With(kSetupWindow, {"--unmapped"})},
        {"InFrameWithWmState", With(kSetupWindow, {"--frame", "1"})},
        {"InNestedFramesWithWmState", With(kSetupWindow, {"--frame", "3"})},
        {"UnmappedInFrame", With(kSetupWindow, {"--frame", "2", "--unmapped"})},
        // Below a frame only a window with WM_STATE is a client...
        {"InFrameWithoutWmState", With(kSetupWindow, {"--frame", "1", "--no-wm-state"}), kTitle,
         false},
        // ... unless the window manager lists it.
        {"ListedInNetClientList",
         With(kSetupWindow, {"--frame", "1", "--no-wm-state", "--client-list"})},
        {"ListedAmongIdsOfNoWindow",
         With(kSetupWindow,
              {"--frame", "1", "--no-wm-state", "--junk-client-list", "5000", "--client-list"})},
        {"AmongThousandsOfWindows", With(kSetupWindow, {"--decoys", "3000", "--unmapped"})},
        {"LongInstance", With(kSetupWindow, {"--pad-instance", "300"})},
        // A program name far beyond any file name is not read to its end.
        {"HugeInstance", With(kSetupWindow, {"--pad-instance", "4000000"}), kTitle, false},
        {"HugeNames", With(kSetupWindow, {"--pad-names", "4000000"}), kTitle, false},
        {"HugeWmNameExactNetWmName",
         With(kSetupWindow, {"--pad-wm-name", "4000000"})},
        {"WmClassWithoutAnyNul", {"--wm-class-hex", Hex(kSetupClass), "--wm-name", kTitle},
         kTitle, false},
        {"WmClassWithoutFinalNul",
         {"--wm-class-hex", SetupClassProperty("inst", kSetupClass), "--wm-name", kTitle}},
        {"WmClassWithMoreStrings",
         {"--wm-class-hex", SetupClassProperty("inst", std::string(kSetupClass) + '\0' + "x"),
          "--wm-name", kTitle}},
        {"WmClassEmpty", {"--wm-class-hex", "", "--wm-name", kTitle}, kTitle, false},
        {"WmClassOnlyNuls", {"--wm-class-hex", "000000", "--wm-name", kTitle}, kTitle, false},
        {"WmClassFormat16", With(kSetupWindow, {"--class-format", "16"}), kTitle, false},
        {"WmClassFormat32", With(kSetupWindow, {"--class-format", "32"}), kTitle, false},
        {"NamesFormat32", With(kSetupWindow, {"--name-format", "32"}), kTitle, false},
    };
}

class Lookup : public X11Test, public ::testing::WithParamInterface<LookupCase> {};

TEST_P(Lookup, FindsExactlyTheMatchingClientWindow)
{
    const LookupCase &c = GetParam();
    HeldWindow window(display(), c.window);
    HWND found = FindWindowA(kSetupClass, c.title.c_str());
    if (c.found) {
        ASSERT_NE(found, nullptr);
        EXPECT_EQ(WindowIdOf(found), window.window()) << "not the client window";
    } else {
        EXPECT_EQ(found, nullptr);
    }
    EXPECT_NE(window.Close().find("closed"), std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(FindWindow, Lookup, ::testing::ValuesIn(LookupCases()),
                         [](const auto &info) { return std::string(info.param.name); });

int OpenDescriptors()
{
    int count = 0;
    if (DIR *dir = opendir("/proc/self/fd")) {
        while (readdir(dir) != nullptr)
            ++count;
        closedir(dir);
    }
    return count;
}

using Window = X11Test;

TEST_F(Window, GoneOnceDestroyed)
{
    HeldWindow window(display(), kSetupWindow);
    ASSERT_NE(FindWindowA(kSetupClass, kTitle), nullptr);
    window.Close();
    EXPECT_EQ(FindWindowA(kSetupClass, kTitle), nullptr);
}

TEST_F(Window, SeenAgainByEveryLookWithoutLeakingDescriptors)
{
    HeldWindow window(display(), With(kSetupWindow, {"--frame", "1"}));
    const int before = OpenDescriptors();
    for (int i = 0; i < 20; ++i)
        ASSERT_NE(FindWindowA(kSetupClass, kTitle), nullptr) << "look " << i;
    EXPECT_EQ(OpenDescriptors(), before);
}

TEST_F(Window, GoneWhenTheServerIsKilled)
{
    HeldWindow window(display(), kSetupWindow);
    ASSERT_NE(FindWindowA(kSetupClass, kTitle), nullptr);
    server().Kill();
    EXPECT_EQ(FindWindowA(kSetupClass, kTitle), nullptr);
    EXPECT_EQ(FindWindowA(kSetupClass, kTitle), nullptr);
}

// The server dies while looks are under way: writes then hit a dead socket.
// With SIGPIPE at its default a stray signal would end this test process.
TEST_F(Window, ServerDyingDuringLooksRaisesNoSigpipe)
{
    std::signal(SIGPIPE, SIG_DFL);
    HeldWindow window(display(), With(kSetupWindow, {"--decoys", "2000", "--unmapped"}));
    ASSERT_NE(FindWindowA(kSetupClass, kTitle), nullptr);

    std::thread killer([this] {
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        server().Kill();
    });
    int looks = 0;
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (FindWindowA(kSetupClass, kTitle) != nullptr &&
           std::chrono::steady_clock::now() < deadline)
        ++looks;
    killer.join();
    EXPECT_EQ(FindWindowA(kSetupClass, kTitle), nullptr);
    EXPECT_GT(looks, 0);

    sigset_t pending, mask;
    sigpending(&pending);
    EXPECT_FALSE(sigismember(&pending, SIGPIPE)) << "a SIGPIPE was left pending";
    pthread_sigmask(SIG_SETMASK, nullptr, &mask);
    EXPECT_FALSE(sigismember(&mask, SIGPIPE)) << "SIGPIPE was left blocked";
}

struct DisplayCase {
    const char *name;
    const char *display;  // nullptr: DISPLAY unset
};

void PrintTo(const DisplayCase &c, std::ostream *out) { *out << c.name; }

class NoServer : public ::testing::TestWithParam<DisplayCase> {};

TEST_P(NoServer, MeansNoWindow)
{
    const DisplayCase &c = GetParam();
    if (c.display == nullptr)
        unsetenv("DISPLAY");
    else
        setenv("DISPLAY", c.display, 1);
    EXPECT_EQ(FindWindowA(kSetupClass, kTitle), nullptr);
    unsetenv("DISPLAY");
}

INSTANTIATE_TEST_SUITE_P(FindWindow, NoServer,
                         ::testing::Values(DisplayCase{"DisplayUnset", nullptr},
                                           DisplayCase{"DisplayEmpty", ""},
                                           DisplayCase{"DisplayNonsense", "not a display"},
                                           DisplayCase{"DisplayWithoutServer", ":4093"},
                                           DisplayCase{"ScreenWithoutServer", ":4093.7"},
                                           DisplayCase{"TcpWithoutServer", "localhost:4093"}),
                         [](const auto &info) { return std::string(info.param.name); });

struct FakeCase {
    const char *name;
    FakeBehaviour behaviour;
};

void PrintTo(const FakeCase &c, std::ostream *out) { *out << c.name; }

class BrokenServer : public ::testing::TestWithParam<FakeCase> {};

// SIGPIPE at its default: a write to the dead socket that raised it would
// end this test process. A refusal's reason, which libxcb writes to
// descriptor 2, must not reach it either.
TEST_P(BrokenServer, MeansNoWindowAndNoSigpipe)
{
    std::signal(SIGPIPE, SIG_DFL);
    FakeXServer server(GetParam().behaviour);
    setenv("DISPLAY", server.display().c_str(), 1);
    ::testing::internal::CaptureStderr();
    for (int look = 0; look < 3; ++look)
        EXPECT_EQ(FindWindowA(kSetupClass, kTitle), nullptr);
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), "") << "the look wrote to stderr";
    unsetenv("DISPLAY");

    sigset_t pending;
    sigpending(&pending);
    EXPECT_FALSE(sigismember(&pending, SIGPIPE)) << "a SIGPIPE was left pending";
}

INSTANTIATE_TEST_SUITE_P(
    FindWindow, BrokenServer,
    ::testing::Values(FakeCase{"ClosesAtOnce", FakeBehaviour::CloseAtOnce},
                      FakeCase{"RefusesSetup", FakeBehaviour::RefuseSetup},
                      FakeCase{"AnswersGarbage", FakeBehaviour::GarbageSetup},
                      FakeCase{"StopsReadingAfterSetup", FakeBehaviour::AcceptThenStopReading}),
    [](const auto &info) { return std::string(info.param.name); });

}  // namespace
}  // namespace x11test
