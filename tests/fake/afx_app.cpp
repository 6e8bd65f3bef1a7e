// The application object and class-library start-up.
#include "fake/fake_platform.h"

namespace {

// Zero-initialised before any constructor runs, so the tool's global
// application object may be built in any order relative to this file.
CWinApp *g_app = nullptr;

std::string Describe(HINSTANCE instance)
{
    if (instance == nullptr)
        return "null";
    return instance == fake::ModuleHandle() ? "module" : "other";
}

}  // namespace

CWinApp::CWinApp() noexcept
{
    g_app = this;
}

CWinApp::~CWinApp()
{
    if (g_app == this)
        g_app = nullptr;
}

CWinApp *AfxGetApp()
{
    return g_app;
}

BOOL AfxWinInit(HINSTANCE hInstance, HINSTANCE hPrevInstance, LPSTR lpCmdLine, int nCmdShow)
{
    std::string commandLine = lpCmdLine == nullptr ? "null" : "\"" + std::string(lpCmdLine) + "\"";
    fake::detail::Record("AfxWinInit(" + Describe(hInstance) + "," + Describe(hPrevInstance) +
                         "," + commandLine + "," + std::to_string(nCmdShow) + ")");
    if (fake::detail::ShouldFail("AfxWinInit") || g_app == nullptr)
        return FALSE;
    g_app->m_hInstance = hInstance;
    g_app->m_lpCmdLine = lpCmdLine;
    g_app->m_nCmdShow = nCmdShow;
    return fake::TheWorld().afxWinInitResult;
}
