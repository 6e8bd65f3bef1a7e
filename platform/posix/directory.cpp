#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <unistd.h>

#include "platform/win32api.h"

BOOL SetCurrentDirectoryA(LPCSTR lpPathName)
{
    return chdir(lpPathName) == 0 ? TRUE : FALSE;
}

// As on Win32: the length written without the terminating zero when the
// path fits, else the size needed including it; 0 when the current
// directory has no path (it was removed) or cannot be read.
DWORD GetCurrentDirectoryA(DWORD nBufferLength, LPSTR lpBuffer)
{
    // getcwd(nullptr, 0) sizes the result itself, also past PATH_MAX.
    char *path = getcwd(nullptr, 0);
    if (path == nullptr)
        return 0;
    std::size_t length = std::strlen(path);
    DWORD result;
    if (length + 1 > 0xFFFFFFFFu) {
        result = 0;
    } else if (length < nBufferLength) {
        std::memcpy(lpBuffer, path, length + 1);
        result = static_cast<DWORD>(length);
    } else {
        result = static_cast<DWORD>(length + 1);
    }
    std::free(path);
    return result;
}

BOOL RemoveDirectoryA(LPCSTR lpPathName)
{
    return rmdir(lpPathName) == 0 ? TRUE : FALSE;
}
