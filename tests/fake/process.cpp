// Processes: a start is recorded with everything it was given, and hands
// out a process and a thread handle that must each be closed once.
#include <cstring>

#include "fake/fake_platform.h"

namespace {

std::string Text(LPCSTR s)
{
    return s == nullptr ? "null" : s;
}

}  // namespace

BOOL CreateProcessA(LPCSTR lpApplicationName, LPSTR lpCommandLine,
                    LPSECURITY_ATTRIBUTES lpProcessAttributes,
                    LPSECURITY_ATTRIBUTES lpThreadAttributes, BOOL bInheritHandles,
                    DWORD dwCreationFlags, LPVOID lpEnvironment, LPCSTR lpCurrentDirectory,
                    LPSTARTUPINFOA lpStartupInfo, LPPROCESS_INFORMATION lpProcessInformation)
{
    std::string program = Text(lpApplicationName);
    std::string commandLine =
        lpCommandLine == nullptr ? "null" : "\"" + std::string(lpCommandLine) + "\"";
    fake::detail::Record("CreateProcessA(" + program + "," + commandLine + ")");

    fake::ProcessStart start;
    start.application = program;
    start.commandLineNull = lpCommandLine == nullptr;
    if (lpCommandLine != nullptr) {
        start.commandLine = lpCommandLine;
        // Win32 may write into the command line; one in read-only storage
        // (a string literal) faults here as it would there.
        std::size_t length = std::strlen(lpCommandLine);
        lpCommandLine[length] = '\0';
    }
    start.securityAttributesNull = lpProcessAttributes == nullptr && lpThreadAttributes == nullptr;
    start.inheritHandles = bInheritHandles;
    start.creationFlags = dwCreationFlags;
    start.environmentNull = lpEnvironment == nullptr;
    start.currentDirectoryNull = lpCurrentDirectory == nullptr;
    start.startupNull = lpStartupInfo == nullptr;
    if (lpStartupInfo != nullptr)
        std::memcpy(&start.startup, lpStartupInfo, sizeof start.startup);
    start.processInformationNull = lpProcessInformation == nullptr;
    fake::detail::RecordProcessStart(start);

    if (fake::detail::ShouldFail("CreateProcessA(" + program + ")") ||
        lpApplicationName == nullptr || lpProcessInformation == nullptr ||
        fake::TheWorld().programsThatFailToStart.count(program) != 0)
        return FALSE;
    static DWORD nextId = 100;
    lpProcessInformation->hProcess = fake::detail::NewHandle("process:" + program);
    lpProcessInformation->hThread = fake::detail::NewHandle("thread:" + program);
    lpProcessInformation->dwProcessId = nextId++;
    lpProcessInformation->dwThreadId = nextId++;
    return TRUE;
}

DWORD WaitForSingleObject(HANDLE hHandle, DWORD dwMilliseconds)
{
    std::string handle = fake::detail::HandleLabel(hHandle);
    std::string timeout =
        dwMilliseconds == INFINITE ? std::string("INFINITE") : std::to_string(dwMilliseconds);
    fake::detail::Record("WaitForSingleObject(" + handle + "," + timeout + ")");
    if (fake::detail::ShouldFail("WaitForSingleObject(" + handle + ")"))
        return WAIT_FAILED;
    const std::string prefix = "process:";
    if (handle.compare(0, prefix.size(), prefix) != 0)
        return WAIT_FAILED;
    const auto &results = fake::TheWorld().waitResults;
    auto it = results.find(handle.substr(prefix.size()));
    return it != results.end() ? it->second : WAIT_OBJECT_0;
}

BOOL CloseHandle(HANDLE hObject)
{
    std::string handle = fake::detail::HandleLabel(hObject);
    fake::detail::Record("CloseHandle(" + handle + ")");
    // The handle is released even when the call is made to report failure.
    bool closed = fake::detail::CloseHandleLabel(hObject);
    if (fake::detail::ShouldFail("CloseHandle(" + handle + ")"))
        return FALSE;
    return closed ? TRUE : FALSE;
}
