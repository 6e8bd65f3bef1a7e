// Runs hold_window on a given display and talks to it: waits for its
// "ready" line, closes the window on request and collects what it printed.
#ifndef AFTERSETUP_TESTS_X11_HELD_WINDOW_H
#define AFTERSETUP_TESTS_X11_HELD_WINDOW_H

#include <cstdint>
#include <string>
#include <sys/types.h>
#include <vector>

namespace x11test {

class HeldWindow {
public:
    // Throws std::runtime_error when the window is not ready within 30 s.
    HeldWindow(const std::string &display, const std::vector<std::string> &options);
    ~HeldWindow();
    HeldWindow(const HeldWindow &) = delete;
    HeldWindow &operator=(const HeldWindow &) = delete;

    // The client window's id.
    std::uint32_t window() const { return window_; }

    // Closes the window and returns once it is destroyed; the result is
    // everything the client printed after "ready".
    std::string Close();
    // Returns once the client ended by itself (--close-after, a dead server).
    std::string WaitForExit();

private:
    std::string Finish();

    pid_t pid_ = -1;
    int input_ = -1;
    int output_ = -1;
    std::uint32_t window_ = 0;
    std::string printed_;
};

}  // namespace x11test

#endif
