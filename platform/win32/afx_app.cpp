#include "platform/afx.h"

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

    // No critical-error or missing-disk dialog may stop an unattended run.
    // The flags are added to the mode already in force; Windows 4.0 has no
    // GetErrorMode, so the mode is read by setting it.
    UINT mode = SetErrorMode(0);
    SetErrorMode(mode | SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
    return TRUE;
}
