#include <csignal>

#include "platform/backend.h"

// A write to a pipe whose reader has gone (standard error, the X
// connection) fails with EPIPE instead of killing the process; follow-up
// programs get the default back (see process.cpp). Waits need SIGCHLD at
// its default: ignored, the system would reap follow-up programs before
// the wait.
void SetUnattendedErrorMode()
{
    (void)std::signal(SIGPIPE, SIG_IGN);
    (void)std::signal(SIGCHLD, SIG_DFL);
}
