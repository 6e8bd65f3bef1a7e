// FindWindowA over X11: one connection per look, so that nothing stale
// survives between two looks and no descriptor outlives the call.
#include <cstdint>

#include "platform/posix/window_lookup.h"
#include "platform/win32api.h"

HWND FindWindowA(LPCSTR lpClassName, LPCSTR lpWindowName)
{
    if (lpClassName == nullptr || lpWindowName == nullptr)
        return nullptr;

    windowlookup::SigpipeBlock sigpipeBlock;
    // DISPLAY, as every X client finds its server; none reachable means no
    // window.
    xcb_connection_t *connection = nullptr;
    {
        windowlookup::StderrSilenced quiet;
        connection = xcb_connect(nullptr, nullptr);
    }
    xcb_window_t found = XCB_WINDOW_NONE;
    if (xcb_connection_has_error(connection) == 0)
        found = windowlookup::FindClientWindow(connection, lpClassName, lpWindowName);
    xcb_disconnect(connection);

    if (found == XCB_WINDOW_NONE)
        return nullptr;
    // The window id stands for the handle: non-null, and never dereferenced.
    return reinterpret_cast<HWND>(  // NOLINT(performance-no-int-to-ptr)
        static_cast<std::uintptr_t>(found));
}
