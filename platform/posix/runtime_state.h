#ifndef AFTERSETUP_PLATFORM_POSIX_RUNTIME_STATE_H
#define AFTERSETUP_PLATFORM_POSIX_RUNTIME_STATE_H

// Called once by main() before WinMain.
void SetRuntimeArguments(int argc, char **argv);

#endif
