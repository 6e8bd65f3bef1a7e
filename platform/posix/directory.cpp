// The current directory and directory removal. Paths longer than the
// system's limit (PATH_MAX) are walked one component at a time through
// directory descriptors, so that such a directory is entered and removed
// by exactly the path given, never by a shortened one.
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <string>
#include <unistd.h>

#include "platform/win32api.h"

namespace {

// Opens the directory that path names (O_PATH, close-on-exec), resolving
// it component by component; -1 with errno set on failure.
int OpenDirectoryByComponents(const std::string &path)
{
    int dir = open(path.compare(0, 1, "/") == 0 ? "/" : ".",
                   O_PATH | O_DIRECTORY | O_CLOEXEC);
    std::size_t start = 0;
    while (dir != -1 && start < path.size()) {
        std::size_t end = path.find('/', start);
        if (end == std::string::npos)
            end = path.size();
        if (end > start) {
            std::string component = path.substr(start, end - start);
            int next = openat(dir, component.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
            int error = errno;
            close(dir);
            dir = next;
            errno = error;
        }
        start = end + 1;
    }
    return dir;
}

bool EnterByComponents(const char *path)
{
    int dir = OpenDirectoryByComponents(path);
    if (dir == -1)
        return false;
    bool entered = fchdir(dir) == 0;
    close(dir);
    return entered;
}

bool RemoveByComponents(const char *path)
{
    std::string parent = path;
    while (parent.size() > 1 && parent.back() == '/')
        parent.pop_back();
    std::size_t slash = parent.rfind('/');
    std::string name = slash == std::string::npos ? parent : parent.substr(slash + 1);
    parent = slash == std::string::npos ? "." : parent.substr(0, slash + 1);
    if (name.empty() || name == "." || name == "..")
        return false;
    int dir = OpenDirectoryByComponents(parent);
    if (dir == -1)
        return false;
    bool removed = unlinkat(dir, name.c_str(), AT_REMOVEDIR) == 0;
    close(dir);
    return removed;
}

} // namespace

BOOL SetCurrentDirectoryA(LPCSTR lpPathName)
{
    if (chdir(lpPathName) == 0)
        return TRUE;
    return errno == ENAMETOOLONG && EnterByComponents(lpPathName) ? TRUE : FALSE;
}

// As on Win32: the length written without the terminating zero when the
// path fits, else the size needed including it; 0 when the current
// directory has no path (it was removed) or cannot be read.
DWORD GetCurrentDirectoryA(DWORD nBufferLength, LPSTR lpBuffer)
{
    // getcwd(nullptr, 0) sizes the result itself; past PATH_MAX the C
    // library walks up through ".." and still yields the full path.
    char *path = getcwd(nullptr, 0);
    if (path == nullptr)
        return 0;
    std::size_t length = std::strlen(path);
    DWORD result;
    if (path[0] != '/' || length + 1 > 0xFFFFFFFFu) {
        result = 0; // "(unreachable)" and the like: not a path to act on
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
    if (rmdir(lpPathName) == 0)
        return TRUE;
    return errno == ENAMETOOLONG && RemoveByComponents(lpPathName) ? TRUE : FALSE;
}
