// The argument count and vector the C runtime split from the command line
// before WinMain was called.
#include <cstdlib>

#include "platform/runtime.h"

int GetArgumentCount()
{
    return __argc;
}

char **GetArgumentVector()
{
    return __argv;
}
