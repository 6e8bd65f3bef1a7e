// The pieces of the X11 window lookup: matching property bytes, walking
// the window tree for client windows, and keeping SIGPIPE from a dead
// server's socket away from the process.
#ifndef AFTERSETUP_PLATFORM_POSIX_WINDOW_LOOKUP_H
#define AFTERSETUP_PLATFORM_POSIX_WINDOW_LOOKUP_H

#include <csignal>
#include <cstddef>
#include <cstdint>
#include <string_view>

#include <xcb/xcb.h>

namespace windowlookup {

// Longest WM_CLASS instance part read before the class part; a longer one
// (a program name far beyond any file name) is taken as no match.
constexpr std::size_t kInstanceLimit = 4096;

// Frames nest a few levels deep at most (frame, decoration, client); the
// descent stops there so that a deep widget tree costs nothing.
constexpr int kMaxFrameDepth = 6;

// Longest _NET_CLIENT_LIST read, in windows.
constexpr std::uint32_t kClientListLimit = 65536;

// The 32-bit units to ask for so that `bytes` bytes arrive.
std::uint32_t LongsFor(std::size_t bytes);

// True when a WM_CLASS reply's class part, the second NUL-terminated
// string, is exactly `wanted`. The last string may lack its NUL.
bool ClassPartEquals(const xcb_get_property_reply_t *reply, std::string_view wanted);

// True when a name property reply holds exactly `wanted`, byte for byte.
bool NameEquals(const xcb_get_property_reply_t *reply, std::string_view wanted);

// True when the reply says the property exists on the window.
bool PropertyExists(const xcb_get_property_reply_t *reply);

// The client window with that class and title, or XCB_WINDOW_NONE; also
// XCB_WINDOW_NONE once the connection has failed.
xcb_window_t FindClientWindow(xcb_connection_t *connection, std::string_view windowClass,
                              std::string_view title);

// Blocks SIGPIPE in the calling thread for its lifetime and takes back any
// SIGPIPE raised meanwhile, whatever the process's disposition of it.
class SigpipeBlock {
public:
    SigpipeBlock();
    ~SigpipeBlock();
    SigpipeBlock(const SigpipeBlock &) = delete;
    SigpipeBlock &operator=(const SigpipeBlock &) = delete;

private:
    sigset_t previous_{};
    bool blocked_ = false;
    bool wasPending_ = false;
};

// Points descriptor 2 at /dev/null for its lifetime: libxcb writes a
// refused connection's reason straight to it, and the tool's standard error
// carries only the tool's own messages. Nothing changes when descriptor 2
// is closed.
class StderrSilenced {
public:
    StderrSilenced();
    ~StderrSilenced();
    StderrSilenced(const StderrSilenced &) = delete;
    StderrSilenced &operator=(const StderrSilenced &) = delete;

private:
    int saved_ = -1;
};

}  // namespace windowlookup

#endif
