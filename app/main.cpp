// The whole run: start the class library, check the command line, wait for
// the setup window to close, enter the target directory, run the follow-up
// programs, empty the directory, then remove it and its parent.
#include "app/messages.h"
#include "app/sequence.h"
#include "cleanup/cleanup.h"
#include "launch/launch.h"
#include "platform/afx.h"
#include "platform/runtime.h"

CWinApp theApp;

int WINAPI WinMain(HINSTANCE /*hInstance*/, HINSTANCE /*hPrevInstance*/,
                   LPSTR /*lpCmdLine*/, int /*nCmdShow*/)
{
    if (!AfxWinInit(GetModuleHandleA(nullptr), nullptr, GetCommandLineA(), 0)) {
        ReportStartupFailure();
        return 1;
    }

    int argc = GetArgumentCount();
    char **argv = GetArgumentVector();
    if (argc < 3)
        return 1;

    WaitForSetupWindow(argv[2]);

    if (SetCurrentDirectoryA(argv[1])) {
        RunFollowUpPrograms(argc, argv);
        EmptyCurrentDirectory();
    }
    RemoveDirectoryAndParent();

    return 0;
}
