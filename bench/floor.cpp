// The floor: the least any tool can do to empty a directory. It reads the
// listing and unlinks each entry, nothing else: no path building, no
// messages. With --stat it also reads each entry's status first, the one
// system call per entry that aftersetup adds to find its read-only files:
// the gap between the two loops is what that call costs, and the gap
// between "floor --stat" and aftersetup is the tool's own overhead.
// Usage: floor [--stat] DIR
#include <cstdio>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

int main(int argc, char **argv)
{
    bool readStatus = argc == 3 && std::strcmp(argv[1], "--stat") == 0;
    if (argc != (readStatus ? 3 : 2)) {
        std::fprintf(stderr, "usage: floor [--stat] DIR\n");
        return 2;
    }
    DIR *dir = opendir(argv[argc - 1]);
    if (dir == nullptr) {
        std::perror(argv[argc - 1]);
        return 1;
    }
    int fd = dirfd(dir);
    int failures = 0;
    while (const dirent *entry = readdir(dir)) {
        const char *name = entry->d_name;
        if (std::strcmp(name, ".") == 0 || std::strcmp(name, "..") == 0)
            continue;
        struct stat st;
        if (readStatus && fstatat(fd, name, &st, AT_SYMLINK_NOFOLLOW) != 0)
            ++failures;
        if (unlinkat(fd, name, 0) != 0)
            ++failures;
    }
    closedir(dir);
    return failures == 0 ? 0 : 1;
}
