// The current directory and directory removal, over the world's map of
// directories.
#include <cstring>

#include "fake/fake_platform.h"

namespace {

std::string Text(LPCSTR s)
{
    return s == nullptr ? "null" : s;
}

bool HasChildDirectory(const std::string &path)
{
    for (const auto &directory : fake::TheWorld().directories) {
        if (directory.first != path && fake::detail::ParentOf(directory.first) == path)
            return true;
    }
    return false;
}

// Win32 refuses to remove a directory that is not empty, that a process
// stands in, or that has a search open in it.
bool CanRemove(const std::string &path)
{
    const fake::World &w = fake::TheWorld();
    const fake::Directory *directory = fake::detail::FindDirectory(path);
    if (directory == nullptr || w.removeDirectoryFails.count(path) != 0)
        return false;
    if (w.currentDirectoryHasPath && w.currentDirectory == path)
        return false;
    return !fake::detail::SearchOpenIn(path) && directory->entries.empty() &&
           !HasChildDirectory(path);
}

}  // namespace

BOOL SetCurrentDirectoryA(LPCSTR lpPathName)
{
    std::string given = Text(lpPathName);
    fake::detail::Record("SetCurrentDirectoryA(" + given + ")");
    fake::World &w = fake::TheWorld();
    if (fake::detail::ShouldFail("SetCurrentDirectoryA(" + given + ")") || lpPathName == nullptr ||
        w.setCurrentDirectoryFails.count(given) != 0)
        return FALSE;
    // From a directory that has lost its path nothing relative can be found.
    if (!w.currentDirectoryHasPath && given[0] != '/')
        return FALSE;
    std::string path = fake::detail::ResolvePath(given);
    if (!fake::DirectoryExists(path))
        return FALSE;
    w.currentDirectory = path;
    w.currentDirectoryHasPath = true;
    return TRUE;
}

// As on Win32: the length written without the terminating zero when the
// path fits, else the size needed including it and the buffer untouched;
// 0 on failure.
DWORD GetCurrentDirectoryA(DWORD nBufferLength, LPSTR lpBuffer)
{
    fake::detail::Record("GetCurrentDirectoryA(" + std::to_string(nBufferLength) + ")");
    const fake::World &w = fake::TheWorld();
    if (fake::detail::ShouldFail("GetCurrentDirectoryA") || !w.currentDirectoryHasPath)
        return 0;
    const std::string &path = w.currentDirectory;
    if (path.size() < nBufferLength && lpBuffer != nullptr) {
        std::memcpy(lpBuffer, path.c_str(), path.size() + 1);
        return static_cast<DWORD>(path.size());
    }
    return static_cast<DWORD>(path.size() + 1);
}

BOOL RemoveDirectoryA(LPCSTR lpPathName)
{
    std::string given = Text(lpPathName);
    fake::detail::Record("RemoveDirectoryA(" + given + ")");
    if (fake::detail::ShouldFail("RemoveDirectoryA(" + given + ")") || lpPathName == nullptr)
        return FALSE;
    std::string path = fake::detail::ResolvePath(given);
    if (!CanRemove(path))
        return FALSE;
    fake::TheWorld().directories.erase(path);
    return TRUE;
}
