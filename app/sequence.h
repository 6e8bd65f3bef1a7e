#ifndef AFTERSETUP_APP_SEQUENCE_H
#define AFTERSETUP_APP_SEQUENCE_H

// Class name of the setup engine's main window.
inline constexpr const char kSetupWindowClass[] = "TarnwellForge_Win";
inline constexpr unsigned kPollIntervalMs = 3000;

void WaitForSetupWindow(const char *title);

#endif
