// Calls the Win32 backend's class-library services directly, one command
// per run, and prints what they did, for what the tool's own runs cannot
// show: the error mode AfxWinInit leaves, the fields of a status record,
// and the exceptions with their system error codes.
//   errormode               the mode after AfxWinInit, with 0x0002 in force before
//   status NAME             GetStatus: 0, or 1 and the record's fields
//   setstatus NAME HEX TIME SetStatus with the entry's record, attribute byte
//                           HEX and modification time TIME, then status
//   remove NAME             Remove
// An exception prints "exception CAUSE OSERROR".
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/afx.h"

CWinApp theApp;

namespace {

void PrintStatus(const char *name)
{
    CFileStatus status;
    if (!CFile::GetStatus(name, status)) {
        std::printf("0\n");
        return;
    }
    std::printf("1 %x %lld %lld %lld %lu %s\n", status.m_attribute,
                static_cast<long long>(status.m_mtime), static_cast<long long>(status.m_ctime),
                static_cast<long long>(status.m_atime),
                static_cast<unsigned long>(status.m_size), status.m_szFullName);
}

int Run(int argc, char **argv)
{
    const char *command = argc > 1 ? argv[1] : "";
    if (std::strcmp(command, "errormode") == 0 && argc == 2) {
        SetErrorMode(SEM_NOGPFAULTERRORBOX);
        BOOL started = AfxWinInit(GetModuleHandleA(nullptr), nullptr, GetCommandLineA(), 0);
        std::printf("%d %x\n", started, SetErrorMode(0));
        return 0;
    }
    if (std::strcmp(command, "status") == 0 && argc == 3) {
        PrintStatus(argv[2]);
        return 0;
    }
    if (std::strcmp(command, "setstatus") == 0 && argc == 5) {
        CFileStatus status;
        CFile::GetStatus(argv[2], status);
        status.m_attribute = static_cast<unsigned char>(std::strtoul(argv[3], nullptr, 16));
        status.m_mtime = std::strtoll(argv[4], nullptr, 10);
        status.m_ctime = 0;
        status.m_atime = 0;
        CFile::SetStatus(argv[2], status);
        PrintStatus(argv[2]);
        return 0;
    }
    if (std::strcmp(command, "remove") == 0 && argc == 3) {
        CFile::Remove(argv[2]);
        std::printf("removed\n");
        return 0;
    }
    std::fputs("usage: backend_probe errormode | status NAME | setstatus NAME HEX TIME | "
               "remove NAME\n",
               stderr);
    return 2;
}

} // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    try {
        return Run(__argc, __argv);
    } catch (CFileException *e) {
        std::printf("exception %d %ld\n", e->m_cause, e->m_lOsError);
        e->Delete();
        return 0;
    }
}
