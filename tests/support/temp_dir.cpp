#include "support/temp_dir.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <linux/fs.h>
#include <stdexcept>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace testsupport {

namespace {

// Temporary trees live on the disk's file system (next to the build), not
// in a tmpfs /tmp, so that the immutable flag is available.
std::string TempRoot()
{
    const char *root = std::getenv("AFTERSETUP_TEST_TMPDIR");
    return root != nullptr ? root : AFTERSETUP_TEST_TMPDIR;
}

void RemoveTree(const std::string &path)
{
    struct stat st;
    if (lstat(path.c_str(), &st) != 0)
        return;
    if (!S_ISLNK(st.st_mode))
        SetImmutable(path, false);
    if (S_ISDIR(st.st_mode)) {
        chmod(path.c_str(), 0700);
        for (const auto &name : ListDirectory(path))
            RemoveTree(path + "/" + name);
        rmdir(path.c_str());
    } else {
        unlink(path.c_str());
    }
}

}  // namespace

TempDir::TempDir()
{
    mkdir(TempRoot().c_str(), 0755);
    std::string pattern = TempRoot() + "/t.XXXXXX";
    if (mkdtemp(pattern.data()) == nullptr)
        throw std::runtime_error("mkdtemp failed in " + TempRoot());
    path_ = pattern;
}

TempDir::~TempDir()
{
    RemoveTree(path_);
}

void WriteFile(const std::string &path, const std::string &content, unsigned mode)
{
    int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (fd < 0)
        throw std::runtime_error("cannot create " + path);
    if (!content.empty() && write(fd, content.data(), content.size()) !=
                                static_cast<ssize_t>(content.size())) {
        close(fd);
        throw std::runtime_error("cannot write " + path);
    }
    fchmod(fd, mode);
    close(fd);
}

std::string ReadFile(const std::string &path)
{
    int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return std::string();
    std::string content;
    char buffer[4096];
    ssize_t got;
    while ((got = read(fd, buffer, sizeof buffer)) > 0)
        content.append(buffer, static_cast<size_t>(got));
    close(fd);
    return content;
}

void MakeDirectory(const std::string &path, unsigned mode)
{
    if (mkdir(path.c_str(), 0700) != 0)
        throw std::runtime_error("cannot create directory " + path);
    chmod(path.c_str(), mode);
}

bool Exists(const std::string &path)
{
    struct stat st;
    return lstat(path.c_str(), &st) == 0;
}

bool SetImmutable(const std::string &path, bool on)
{
    int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0)
        return false;
    int flags = 0;
    bool ok = ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0;
    if (ok) {
        flags = on ? (flags | FS_IMMUTABLE_FL) : (flags & ~FS_IMMUTABLE_FL);
        ok = ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0;
    }
    close(fd);
    return ok;
}

std::vector<std::string> ListDirectory(const std::string &path)
{
    std::vector<std::string> names;
    DIR *dir = opendir(path.c_str());
    if (dir == nullptr)
        return names;
    while (const dirent *entry = readdir(dir)) {
        if (std::strcmp(entry->d_name, ".") != 0 && std::strcmp(entry->d_name, "..") != 0)
            names.emplace_back(entry->d_name);
    }
    closedir(dir);
    std::sort(names.begin(), names.end());
    return names;
}

}  // namespace testsupport
