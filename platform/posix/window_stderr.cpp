#include <fcntl.h>
#include <unistd.h>

#include "platform/posix/window_lookup.h"

namespace windowlookup {

StderrSilenced::StderrSilenced()
{
    if (fcntl(STDERR_FILENO, F_GETFD) < 0)
        return;
    const int null = open("/dev/null", O_WRONLY | O_CLOEXEC);
    if (null < 0)
        return;
    saved_ = fcntl(STDERR_FILENO, F_DUPFD_CLOEXEC, 3);
    if (saved_ >= 0 && dup2(null, STDERR_FILENO) < 0) {
        close(saved_);
        saved_ = -1;
    }
    close(null);
}

StderrSilenced::~StderrSilenced()
{
    if (saved_ < 0)
        return;
    dup2(saved_, STDERR_FILENO);
    close(saved_);
}

}  // namespace windowlookup
