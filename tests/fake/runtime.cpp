// The runtime's argument vector, the raw command line and the module
// handle, as the world describes them.
#include "fake/fake_platform.h"
#include "platform/runtime.h"

namespace {

char g_module;

}  // namespace

namespace fake {

HMODULE ModuleHandle()
{
    return reinterpret_cast<HMODULE>(&g_module);
}

}  // namespace fake

int GetArgumentCount()
{
    fake::detail::RecordQuery("GetArgumentCount()");
    return fake::detail::ArgumentCount();
}

char **GetArgumentVector()
{
    fake::detail::RecordQuery("GetArgumentVector()");
    return fake::detail::ArgumentVector();
}

LPSTR GetCommandLineA()
{
    fake::detail::RecordQuery("GetCommandLineA()");
    return fake::detail::CommandLine();
}

HMODULE GetModuleHandleA(LPCSTR lpModuleName)
{
    fake::detail::RecordQuery(std::string("GetModuleHandleA(") +
                              (lpModuleName == nullptr ? "null" : lpModuleName) + ")");
    return lpModuleName == nullptr ? fake::ModuleHandle() : nullptr;
}
