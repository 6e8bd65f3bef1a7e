#include <string>

#include "app/messages.h"
#include "cleanup/cleanup.h"
#include "platform/win32api.h"

namespace {

// The full path of the current directory, however long; empty when it has
// none (it was removed under us). Reading into a fixed buffer would leave a
// path that does not fit unread, and removing by a cut or stale path could
// hit another directory.
std::string GetCurrentDirectoryPath()
{
    std::string path(MAX_PATH, '\0');
    for (;;) {
        DWORD length = GetCurrentDirectoryA(static_cast<DWORD>(path.size()), &path[0]);
        if (length == 0)
            return std::string();
        if (length < path.size()) {
            path.resize(length);
            return path;
        }
        path.assign(length, '\0'); // too small: length is the size it needs
    }
}

void RemoveCurrentDirectory()
{
    std::string path = GetCurrentDirectoryPath();
    SetCurrentDirectoryA("..");
    if (path.empty())
        return;
    if (!RemoveDirectoryA(path.c_str()))
        ReportRemovalFailure(kDirectoryKind, path.c_str());
}

} // namespace

void RemoveDirectoryAndParent()
{
    RemoveCurrentDirectory();
    RemoveCurrentDirectory();
}
