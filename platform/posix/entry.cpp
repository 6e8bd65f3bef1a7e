// The process entry on POSIX: hands over to the tool's WinMain.
#include <fcntl.h>
#include <unistd.h>

#include "platform/posix/runtime_state.h"
#include "platform/win32api.h"

namespace {

// A descriptor 0, 1 or 2 that the parent left closed would be taken by the
// next file the tool opens (a directory search, the X connection), and the
// messages or a follow-up program's output would land in it.
void OpenMissingStandardDescriptors()
{
    for (int fd = 0; fd <= 2; ++fd) {
        if (fcntl(fd, F_GETFD) != -1)
            continue;
        int null = open("/dev/null", O_RDWR);
        if (null != -1 && null != fd)
            close(null); // fd was free, so open() returned it; anything else is odd
    }
}

} // namespace

int main(int argc, char **argv)
{
    OpenMissingStandardDescriptors();
    SetRuntimeArguments(argc, argv);
    return WinMain(nullptr, nullptr, GetCommandLineA(), 0);
}
