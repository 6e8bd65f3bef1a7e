#include <cerrno>
#include <ctime>

#include "platform/win32api.h"

void Sleep(DWORD dwMilliseconds)
{
    timespec left = {static_cast<time_t>(dwMilliseconds / 1000),
                     static_cast<long>(dwMilliseconds % 1000) * 1000000L};
    while (nanosleep(&left, &left) == -1 && errno == EINTR) {
    }
}
