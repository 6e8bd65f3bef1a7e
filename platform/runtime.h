// The argument count and vector that the C runtime split from the command
// line before the entry point was called (argument 0 is the program's path).
#ifndef AFTERSETUP_PLATFORM_RUNTIME_H
#define AFTERSETUP_PLATFORM_RUNTIME_H

int GetArgumentCount();
char **GetArgumentVector();

#endif
