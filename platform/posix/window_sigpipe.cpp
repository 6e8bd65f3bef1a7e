// A write to the socket of an X server that has gone raises SIGPIPE; libxcb
// does not suppress it. Blocking it in this thread for the look turns it into
// a plain EPIPE, which libxcb reports as a connection error.
#include <ctime>
#include <pthread.h>

#include "platform/posix/window_lookup.h"

namespace windowlookup {

namespace {

sigset_t PipeSignal()
{
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, SIGPIPE);
    return set;
}

bool IsPending()
{
    sigset_t pending;
    sigemptyset(&pending);
    return sigpending(&pending) == 0 && sigismember(&pending, SIGPIPE) == 1;
}

}  // namespace

SigpipeBlock::SigpipeBlock()
{
    const sigset_t pipe = PipeSignal();
    wasPending_ = IsPending();
    blocked_ = pthread_sigmask(SIG_BLOCK, &pipe, &previous_) == 0;
}

SigpipeBlock::~SigpipeBlock()
{
    if (!blocked_)
        return;
    // Only a SIGPIPE raised during the look is ours to take back.
    if (!wasPending_ && IsPending()) {
        const sigset_t pipe = PipeSignal();
        const timespec now = {0, 0};
        sigtimedwait(&pipe, nullptr, &now);
    }
    pthread_sigmask(SIG_SETMASK, &previous_, nullptr);
}

}  // namespace windowlookup
