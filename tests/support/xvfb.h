// An X server of the test's own: Xvfb on a display it picks itself, ready
// for connections when the constructor returns, killed at the end.
#ifndef AFTERSETUP_TESTS_SUPPORT_XVFB_H
#define AFTERSETUP_TESTS_SUPPORT_XVFB_H

#include <string>
#include <sys/types.h>

namespace testsupport {

class Xvfb {
public:
    // Throws std::runtime_error saying what is wrong (Xvfb not installed,
    // not ready in time) when the server cannot be had.
    Xvfb();
    ~Xvfb();
    Xvfb(const Xvfb &) = delete;
    Xvfb &operator=(const Xvfb &) = delete;

    // The DISPLAY value that reaches this server, e.g. ":5".
    const std::string &display() const { return display_; }

    // Ends the server at once (SIGKILL) and reaps it: its clients' sockets
    // break as when a real server dies. Safe to call more than once.
    void Kill();

private:
    pid_t pid_ = -1;
    std::string display_;
};

}  // namespace testsupport

#endif
