// The subset of the Win32 interface the tool calls. On Windows this is the
// system's own header; elsewhere the POSIX backend declares the same names
// and implements them in platform/posix/.
#ifndef AFTERSETUP_PLATFORM_WIN32API_H
#define AFTERSETUP_PLATFORM_WIN32API_H

#if defined(_WIN32)
#include <windows.h>
#else
#include "platform/posix/win32api.h"
#endif

#endif
