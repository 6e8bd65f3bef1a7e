// A test with its own X server, reached through DISPLAY like any client.
#ifndef AFTERSETUP_TESTS_X11_X11_FIXTURE_H
#define AFTERSETUP_TESTS_X11_X11_FIXTURE_H

#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>

#include <gtest/gtest.h>

#include "platform/win32api.h"
#include "support/xvfb.h"

namespace x11test {

constexpr const char *kSetupClass = "TarnwellForge_Win";
constexpr const char *kTitle = "Setup Wizard";

class X11Test : public ::testing::Test {
protected:
    void SetUp() override
    {
        server_ = std::make_unique<testsupport::Xvfb>();
        setenv("DISPLAY", server_->display().c_str(), 1);
    }
    void TearDown() override { unsetenv("DISPLAY"); }

    const std::string &display() const { return server_->display(); }
    testsupport::Xvfb &server() { return *server_; }

private:
    std::unique_ptr<testsupport::Xvfb> server_;
};

inline std::uint32_t WindowIdOf(HWND window)
{
    return static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(window));
}

}  // namespace x11test

#endif
