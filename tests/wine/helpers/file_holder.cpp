// Keeps a file open without delete sharing, as a running program keeps its
// files, for the given number of milliseconds. Prints "ready" once the file
// is open and "closed" once it has been closed again.
#include <windows.h>

#include <cstdio>
#include <cstdlib>

int main(int argc, char **argv)
{
    if (argc != 3) {
        std::fputs("usage: file_holder PATH MILLISECONDS\n", stderr);
        return 2;
    }
    HANDLE file = CreateFileA(argv[1], GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        std::fprintf(stderr, "cannot open %s: error %lu\n", argv[1], GetLastError());
        return 1;
    }
    std::puts("ready");
    std::fflush(stdout);
    Sleep(static_cast<DWORD>(std::strtoul(argv[2], nullptr, 10)));
    CloseHandle(file);
    std::puts("closed");
    std::fflush(stdout);
    return 0;
}
