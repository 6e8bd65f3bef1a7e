#ifndef AFTERSETUP_LAUNCH_LAUNCH_H
#define AFTERSETUP_LAUNCH_LAUNCH_H

#include "platform/win32api.h"

// Starts program (a path, searched nowhere) with the given command line in
// the current directory; with wait set, blocks until it has ended. Nonzero
// when the program was started.
BOOL RunProcess(LPCSTR program, LPSTR commandLine, BOOL wait);

// Runs argv[3] .. argv[argc - 1] one after another, each to its end, each
// with an empty command line. One that cannot be started is passed over.
void RunFollowUpPrograms(int argc, char **argv);

#endif
