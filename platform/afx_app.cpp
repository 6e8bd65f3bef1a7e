// The application object and class-library start-up, the same on every
// backend but for the error mode.
#include "platform/afx.h"
#include "platform/backend.h"

namespace {

CWinApp *g_app = nullptr;

} // namespace

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

BOOL AfxWinInit(HINSTANCE hInstance, HINSTANCE /*hPrevInstance*/, LPSTR lpCmdLine,
                int nCmdShow)
{
    CWinApp *app = AfxGetApp();
    if (app == nullptr)
        return FALSE;
    app->m_hInstance = hInstance;
    app->m_lpCmdLine = lpCmdLine;
    app->m_nCmdShow = nCmdShow;
    SetUnattendedErrorMode();
    return TRUE;
}
