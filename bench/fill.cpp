// Fills a directory with N empty files named f0000000, f0000001, ...,
// created with MODE (octal, default 644; 444 makes them read-only).
// Usage: fill DIR N [MODE]
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

int main(int argc, char **argv)
{
    if (argc != 3 && argc != 4) {
        std::fprintf(stderr, "usage: fill DIR N [MODE]\n");
        return 2;
    }
    int dir = open(argv[1], O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir == -1) {
        std::perror(argv[1]);
        return 1;
    }
    unsigned long count = std::strtoul(argv[2], nullptr, 10);
    mode_t mode = argc == 4 ? static_cast<mode_t>(std::strtoul(argv[3], nullptr, 8)) : 0644;
    umask(0);
    char name[32];
    for (unsigned long i = 0; i < count; ++i) {
        std::snprintf(name, sizeof name, "f%07lu", i);
        int fd = openat(dir, name, O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
        if (fd == -1) {
            std::fprintf(stderr, "fill: %s: %s\n", name, std::strerror(errno));
            return 1;
        }
        close(fd);
    }
    close(dir);
    return 0;
}
