// What each backend provides to the code shared between them; the phases
// never include this.
#ifndef AFTERSETUP_PLATFORM_BACKEND_H
#define AFTERSETUP_PLATFORM_BACKEND_H

// Makes the process's error handling non-interactive: no error may stop an
// unattended run to ask or to kill it.
void SetUnattendedErrorMode();

#endif
