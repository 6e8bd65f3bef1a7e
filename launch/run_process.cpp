#include "launch/launch.h"

BOOL RunProcess(LPCSTR program, LPSTR commandLine, BOOL wait)
{
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};

    if (!CreateProcessA(program, commandLine, nullptr, nullptr, FALSE, 0,
                        nullptr, nullptr, &startup, &process))
        return FALSE;

    CloseHandle(process.hThread);
    if (wait)
        WaitForSingleObject(process.hProcess, INFINITE);
    CloseHandle(process.hProcess);
    return TRUE;
}
