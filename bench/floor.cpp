// The floor: the least any tool can do to empty a directory. It reads the
// listing and unlinks each entry, nothing else: no status, no path
// building, no messages.
// Usage: floor DIR
#include <cstdio>
#include <cstring>
#include <dirent.h>
#include <unistd.h>

int main(int argc, char **argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: floor DIR\n");
        return 2;
    }
    DIR *dir = opendir(argv[1]);
    if (dir == nullptr) {
        std::perror(argv[1]);
        return 1;
    }
    int fd = dirfd(dir);
    int failures = 0;
    while (const dirent *entry = readdir(dir)) {
        const char *name = entry->d_name;
        if (std::strcmp(name, ".") == 0 || std::strcmp(name, "..") == 0)
            continue;
        if (unlinkat(fd, name, 0) != 0)
            ++failures;
    }
    closedir(dir);
    return failures == 0 ? 0 : 1;
}
