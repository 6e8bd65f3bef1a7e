#include "app/sequence.h"
#include "platform/win32api.h"

void WaitForSetupWindow(const char *title)
{
    while (FindWindowA(kSetupWindowClass, title) != nullptr)
        Sleep(kPollIntervalMs);
}
