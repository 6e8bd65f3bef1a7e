// What the C runtime prepared before the entry point: the arguments, the
// command line and the module handle.
#include <string>

#include "platform/posix/runtime_state.h"
#include "platform/runtime.h"
#include "platform/win32api.h"

namespace {

int g_argc = 0;
char **g_argv = nullptr;
std::string g_commandLine;

} // namespace

void SetRuntimeArguments(int argc, char **argv)
{
    g_argc = argc;
    g_argv = argv;
    // POSIX passes a vector, not a line; the line is rebuilt for the
    // application object only, and nothing splits it again.
    g_commandLine.clear();
    for (int i = 0; i < argc; ++i) {
        if (i > 0)
            g_commandLine += ' ';
        g_commandLine += argv[i];
    }
}

int GetArgumentCount()
{
    return g_argc;
}

char **GetArgumentVector()
{
    return g_argv;
}

LPSTR GetCommandLineA()
{
    return &g_commandLine[0];
}

HMODULE GetModuleHandleA(LPCSTR /*lpModuleName*/)
{
    // The module handle only identifies the program to the class library;
    // any fixed non-null value serves.
    static char module;
    return reinterpret_cast<HMODULE>(&module);
}
