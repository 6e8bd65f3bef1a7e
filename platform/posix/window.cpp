#include "platform/win32api.h"

HWND FindWindowA(LPCSTR /*lpClassName*/, LPCSTR /*lpWindowName*/)
{
    return nullptr;
}
