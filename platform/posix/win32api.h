// Win32 types and calls as the POSIX backend provides them. The types have
// the shapes the tool relies on (integers for truth values, opaque handles);
// the calls are implemented in this directory over POSIX and X11.
#ifndef AFTERSETUP_PLATFORM_POSIX_WIN32API_H
#define AFTERSETUP_PLATFORM_POSIX_WIN32API_H

#include <cstdint>

#define WINAPI

using BOOL = int;
using UINT = unsigned int;
using DWORD = std::uint32_t;
using WORD = std::uint16_t;
using LPSTR = char *;
using LPCSTR = const char *;
using LPBYTE = unsigned char *;
using LPVOID = void *;
using HANDLE = void *;
// Opaque handle types under their Win32 names, so both backends agree.
using HWND = struct HWND__ *;           // NOLINT(bugprone-reserved-identifier,cert-dcl37-c,cert-dcl51-cpp)
using HINSTANCE = struct HINSTANCE__ *; // NOLINT(bugprone-reserved-identifier,cert-dcl37-c,cert-dcl51-cpp)
using HMODULE = HINSTANCE;

constexpr BOOL TRUE = 1;
constexpr BOOL FALSE = 0;
constexpr DWORD MAX_PATH = 260;
constexpr DWORD INFINITE = 0xFFFFFFFF;
constexpr DWORD WAIT_OBJECT_0 = 0;
constexpr DWORD WAIT_FAILED = 0xFFFFFFFF;
constexpr UINT SEM_FAILCRITICALERRORS = 0x0001;
constexpr UINT SEM_NOOPENFILEERRORBOX = 0x8000;

struct SECURITY_ATTRIBUTES;
using LPSECURITY_ATTRIBUTES = SECURITY_ATTRIBUTES *;

// Field for field the Win32 record; the backend reads only cb. Its size is
// the 32-bit one so that the record the tool fills is the same everywhere.
struct STARTUPINFOA {
    DWORD cb;
    std::uint32_t lpReserved;
    std::uint32_t lpDesktop;
    std::uint32_t lpTitle;
    DWORD dwX;
    DWORD dwY;
    DWORD dwXSize;
    DWORD dwYSize;
    DWORD dwXCountChars;
    DWORD dwYCountChars;
    DWORD dwFillAttribute;
    DWORD dwFlags;
    WORD wShowWindow;
    WORD cbReserved2;
    std::uint32_t lpReserved2;
    std::uint32_t hStdInput;
    std::uint32_t hStdOutput;
    std::uint32_t hStdError;
};
static_assert(sizeof(STARTUPINFOA) == 68, "the 32-bit Win32 layout");
using LPSTARTUPINFOA = STARTUPINFOA *;

struct PROCESS_INFORMATION {
    HANDLE hProcess;
    HANDLE hThread;
    DWORD dwProcessId;
    DWORD dwThreadId;
};
using LPPROCESS_INFORMATION = PROCESS_INFORMATION *;

// The tool's entry, called by the backend's main().
int WinMain(HINSTANCE hInstance, HINSTANCE hPrevInstance, LPSTR lpCmdLine,
            int nCmdShow);

HMODULE GetModuleHandleA(LPCSTR lpModuleName);
LPSTR GetCommandLineA();

HWND FindWindowA(LPCSTR lpClassName, LPCSTR lpWindowName);

void Sleep(DWORD dwMilliseconds);

BOOL SetCurrentDirectoryA(LPCSTR lpPathName);
DWORD GetCurrentDirectoryA(DWORD nBufferLength, LPSTR lpBuffer);
BOOL RemoveDirectoryA(LPCSTR lpPathName);

BOOL CreateProcessA(LPCSTR lpApplicationName, LPSTR lpCommandLine,
                    LPSECURITY_ATTRIBUTES lpProcessAttributes,
                    LPSECURITY_ATTRIBUTES lpThreadAttributes,
                    BOOL bInheritHandles, DWORD dwCreationFlags,
                    LPVOID lpEnvironment, LPCSTR lpCurrentDirectory,
                    LPSTARTUPINFOA lpStartupInfo,
                    LPPROCESS_INFORMATION lpProcessInformation);
DWORD WaitForSingleObject(HANDLE hHandle, DWORD dwMilliseconds);
BOOL CloseHandle(HANDLE hObject);

#endif
