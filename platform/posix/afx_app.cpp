#include <csignal>

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

    // The POSIX side of a non-interactive error mode: a write to a pipe
    // whose reader has gone (standard error, the X connection) fails with
    // EPIPE instead of killing the process. Follow-up programs get the
    // default back (see process.cpp). Waits need SIGCHLD at its default:
    // ignored, the system would reap follow-up programs before the wait.
    (void)std::signal(SIGPIPE, SIG_IGN);
    (void)std::signal(SIGCHLD, SIG_DFL);
    return TRUE;
}
