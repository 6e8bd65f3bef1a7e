// The process entry on POSIX: hands over to the tool's WinMain.
#include <fcntl.h>
#include <unistd.h>

#include "platform/posix/runtime_state.h"
#include "platform/win32api.h"

namespace {

// A descriptor 0, 1 or 2 that the parent left closed would be taken by the
// next file the tool opens (a directory search, the X connection), and the
// messages or a follow-up program's output would land in it. Where there is
// no /dev/null (a bare chroot), a pipe stands in: reading it gives the end
// of input at once, writing it fails with EPIPE, which is ignored.
void FillStandardDescriptor(int fd)
{
    int null = open("/dev/null", O_RDWR);
    if (null == fd)
        return;
    if (null != -1) {
        close(null); // fd was free, so open() returned it; anything else is odd
        return;
    }
    int ends[2];
    if (pipe(ends) != 0)
        return;
    // fd is free and lower than every other free number, so one of the
    // ends is fd; the end wanted is moved there if it is the other one.
    int kept = fd == 0 ? ends[0] : ends[1];
    int other = fd == 0 ? ends[1] : ends[0];
    if (kept != fd) {
        dup2(kept, fd); // also closes other, which held fd
        close(kept);
    } else {
        close(other);
    }
}

void OpenMissingStandardDescriptors()
{
    for (int fd = 0; fd <= 2; ++fd) {
        if (fcntl(fd, F_GETFD) == -1)
            FillStandardDescriptor(fd);
    }
}

} // namespace

int main(int argc, char **argv)
{
    OpenMissingStandardDescriptors();
    SetRuntimeArguments(argc, argv);
    return WinMain(nullptr, nullptr, GetCommandLineA(), 0);
}
