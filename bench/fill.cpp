// Fills a directory with N empty files named f0000000, f0000001, ...
// Usage: fill DIR N
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

int main(int argc, char **argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: fill DIR N\n");
        return 2;
    }
    int dir = open(argv[1], O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir == -1) {
        std::perror(argv[1]);
        return 1;
    }
    unsigned long count = std::strtoul(argv[2], nullptr, 10);
    char name[32];
    for (unsigned long i = 0; i < count; ++i) {
        std::snprintf(name, sizeof name, "f%07lu", i);
        int fd = openat(dir, name, O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
        if (fd == -1) {
            std::fprintf(stderr, "fill: %s: %s\n", name, std::strerror(errno));
            return 1;
        }
        close(fd);
    }
    close(dir);
    return 0;
}
