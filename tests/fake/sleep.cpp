// Sleeping takes no time here; each pause is only recorded.
#include "fake/fake_platform.h"

void Sleep(DWORD dwMilliseconds)
{
    fake::detail::Record("Sleep(" + std::to_string(dwMilliseconds) + ")");
}
