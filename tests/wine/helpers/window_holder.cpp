// Holds a top-level window of the given class and title, as the setup
// engine does while it runs, for the given number of milliseconds (0: until
// it is killed). Prints "ready" once the window exists and "closed" once it
// has been destroyed.
#include <windows.h>

#include <cstdio>
#include <cstdlib>

namespace {

constexpr UINT_PTR kLifetimeTimer = 1;

LRESULT CALLBACK HandleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_TIMER:
        KillTimer(window, kLifetimeTimer);
        DestroyWindow(window);
        return 0;
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    default:
        return DefWindowProcA(window, message, wParam, lParam);
    }
}

} // namespace

int main(int argc, char **argv)
{
    if (argc != 4) {
        std::fputs("usage: window_holder CLASS TITLE MILLISECONDS\n", stderr);
        return 2;
    }
    HINSTANCE instance = GetModuleHandleA(nullptr);
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = HandleMessage;
    windowClass.hInstance = instance;
    windowClass.lpszClassName = argv[1];
    if (!RegisterClassA(&windowClass))
        return 1;
    HWND window = CreateWindowExA(0, argv[1], argv[2], WS_OVERLAPPEDWINDOW, 0, 0, 200, 100,
                                  nullptr, nullptr, instance, nullptr);
    if (window == nullptr)
        return 1;
    ShowWindow(window, SW_SHOWNOACTIVATE);
    UINT lifetime = static_cast<UINT>(std::strtoul(argv[3], nullptr, 10));
    if (lifetime != 0)
        SetTimer(window, kLifetimeTimer, lifetime, nullptr);

    std::puts("ready");
    std::fflush(stdout);
    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0)
        DispatchMessageA(&message);
    std::puts("closed");
    std::fflush(stdout);
    return 0;
}
