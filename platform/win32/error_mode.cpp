#include <windows.h>

#include "platform/backend.h"

// No critical-error or missing-disk dialog may stop an unattended run. The
// flags are added to the mode already in force; Windows 4.0 has no
// GetErrorMode, so the mode is read by setting it.
void SetUnattendedErrorMode()
{
    UINT mode = SetErrorMode(0);
    SetErrorMode(mode | SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
}
