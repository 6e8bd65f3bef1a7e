// A follow-up program that leaves a trace. It waits AFTERSETUP_PROBE_MS
// milliseconds, then appends one line to the file named by
// AFTERSETUP_PROBE_LOG, fields separated by tabs:
//   its own file name, its argument count, its command line, its current
//   directory, its start and end times (milliseconds of the system clock),
//   and 1 or 0 for whether marker.txt still existed in its current
//   directory when it ended.
// A GUI program, as the tool is, so that starting it opens no console.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

ULONGLONG NowMs()
{
    FILETIME now;
    GetSystemTimeAsFileTime(&now);
    return ((static_cast<ULONGLONG>(now.dwHighDateTime) << 32) | now.dwLowDateTime) / 10000;
}

const char *OwnFileName()
{
    static char path[MAX_PATH];
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    const char *slash = std::strrchr(path, '\\');
    return slash != nullptr ? slash + 1 : path;
}

void AppendLine(const char *logPath, const char *line)
{
    HANDLE log = CreateFileA(logPath, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                             OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (log == INVALID_HANDLE_VALUE)
        return;
    SetFilePointer(log, 0, nullptr, FILE_END);
    DWORD written = 0;
    WriteFile(log, line, static_cast<DWORD>(std::strlen(line)), &written, nullptr);
    CloseHandle(log);
}

} // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    ULONGLONG start = NowMs();
    const char *logPath = std::getenv("AFTERSETUP_PROBE_LOG");
    const char *delay = std::getenv("AFTERSETUP_PROBE_MS");
    if (logPath == nullptr)
        return 2;
    if (delay != nullptr)
        Sleep(static_cast<DWORD>(std::strtoul(delay, nullptr, 10)));

    char directory[MAX_PATH] = {};
    GetCurrentDirectoryA(MAX_PATH, directory);
    bool marker = GetFileAttributesA("marker.txt") != INVALID_FILE_ATTRIBUTES;
    ULONGLONG end = NowMs();

    static char line[4 * MAX_PATH];
    std::snprintf(line, sizeof line, "%s\t%d\t%s\t%s\t%llu\t%llu\t%d\n", OwnFileName(), __argc,
                  GetCommandLineA(), directory, start, end, marker ? 1 : 0);
    AppendLine(logPath, line);
    return 0;
}
