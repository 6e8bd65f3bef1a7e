// Processes as Win32 handles: a handle is a small record of the child's
// pid, released by CloseHandle.
#include <cerrno>
#include <csignal>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include "platform/win32api.h"

namespace {

struct ProcessHandle {
    pid_t pid;
    bool ended;
};

ProcessHandle *ToProcess(HANDLE handle)
{
    return static_cast<ProcessHandle *>(handle);
}

struct SpawnSetup {
    posix_spawn_file_actions_t actions;
    posix_spawnattr_t attributes;
};

// The child inherits descriptors 0, 1 and 2 and no other, and gets the
// default action back for the signals the tool ignores for itself.
bool PrepareSpawn(SpawnSetup &setup)
{
    if (posix_spawn_file_actions_init(&setup.actions) != 0)
        return false;
    if (posix_spawnattr_init(&setup.attributes) != 0) {
        posix_spawn_file_actions_destroy(&setup.actions);
        return false;
    }
    sigset_t defaults;
    sigemptyset(&defaults);
    sigaddset(&defaults, SIGPIPE);
    if (posix_spawn_file_actions_addclosefrom_np(&setup.actions, 3) != 0 ||
        posix_spawnattr_setsigdefault(&setup.attributes, &defaults) != 0 ||
        posix_spawnattr_setflags(&setup.attributes, POSIX_SPAWN_SETSIGDEF) != 0) {
        posix_spawnattr_destroy(&setup.attributes);
        posix_spawn_file_actions_destroy(&setup.actions);
        return false;
    }
    return true;
}

} // namespace

// Starts lpApplicationName as a path relative to the current directory,
// never through a search path or a shell. The command line becomes the
// program's whole argument vector: one string, so an empty command line
// gives it a single empty argument and not even its own name. Security,
// inheritance, flags, environment and directory arguments other than the
// defaults the tool passes are not supported.
BOOL CreateProcessA(LPCSTR lpApplicationName, LPSTR lpCommandLine,
                    LPSECURITY_ATTRIBUTES /*lpProcessAttributes*/,
                    LPSECURITY_ATTRIBUTES /*lpThreadAttributes*/,
                    BOOL /*bInheritHandles*/, DWORD /*dwCreationFlags*/,
                    LPVOID /*lpEnvironment*/, LPCSTR /*lpCurrentDirectory*/,
                    LPSTARTUPINFOA /*lpStartupInfo*/,
                    LPPROCESS_INFORMATION lpProcessInformation)
{
    if (lpApplicationName == nullptr || lpProcessInformation == nullptr)
        return FALSE;

    char empty[] = "";
    char *argv[] = {lpCommandLine != nullptr ? lpCommandLine : empty, nullptr};

    SpawnSetup setup;
    if (!PrepareSpawn(setup))
        return FALSE;
    pid_t pid = 0;
    // posix_spawn, unlike posix_spawnp, takes the path as it is, and glibc
    // reports a failed exec (missing, a directory, not executable, no
    // interpreter line) as its result instead of starting a shell.
    int error = posix_spawn(&pid, lpApplicationName, &setup.actions,
                            &setup.attributes, argv, environ);
    posix_spawnattr_destroy(&setup.attributes);
    posix_spawn_file_actions_destroy(&setup.actions);
    if (error != 0)
        return FALSE;

    lpProcessInformation->hProcess = new ProcessHandle{pid, false};
    lpProcessInformation->hThread = new ProcessHandle{pid, false};
    lpProcessInformation->dwProcessId = static_cast<DWORD>(pid);
    lpProcessInformation->dwThreadId = static_cast<DWORD>(pid);
    return TRUE;
}

// Only the infinite wait for a process is supported.
DWORD WaitForSingleObject(HANDLE hHandle, DWORD /*dwMilliseconds*/)
{
    ProcessHandle *process = ToProcess(hHandle);
    if (process == nullptr)
        return WAIT_FAILED;
    if (process->ended)
        return WAIT_OBJECT_0;
    int status = 0;
    pid_t result;
    do {
        result = waitpid(process->pid, &status, 0);
    } while (result == -1 && errno == EINTR);
    if (result != process->pid)
        return WAIT_FAILED;
    process->ended = true;
    return WAIT_OBJECT_0;
}

BOOL CloseHandle(HANDLE hObject)
{
    if (hObject == nullptr)
        return FALSE;
    delete ToProcess(hObject);
    return TRUE;
}
