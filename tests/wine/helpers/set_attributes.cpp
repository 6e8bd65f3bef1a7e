// Gives entries their DOS attributes, which a Linux test cannot set
// itself: for each pair of a hexadecimal attribute value and a path, sets
// them and prints the attributes the entry has afterwards, in hexadecimal.
#include <windows.h>

#include <cstdio>
#include <cstdlib>

int main(int argc, char **argv)
{
    if (argc < 3 || argc % 2 == 0) {
        std::fputs("usage: set_attributes HEX PATH [HEX PATH ...]\n", stderr);
        return 2;
    }
    for (int i = 1; i + 1 < argc; i += 2) {
        DWORD wanted = static_cast<DWORD>(std::strtoul(argv[i], nullptr, 16));
        if (!SetFileAttributesA(argv[i + 1], wanted)) {
            std::fprintf(stderr, "cannot set %s: error %lu\n", argv[i + 1], GetLastError());
            return 1;
        }
        std::printf("%lx\n", GetFileAttributesA(argv[i + 1]));
    }
    return 0;
}
