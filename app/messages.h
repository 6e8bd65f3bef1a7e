#ifndef AFTERSETUP_APP_MESSAGES_H
#define AFTERSETUP_APP_MESSAGES_H

// The tool's only output: lines on standard error.
void ReportStartupFailure();
void ReportRemovalFailure(const char *kind, const char *name);

// The first word of a removal failure line.
inline constexpr const char kEntryKind[] = "File ";
inline constexpr const char kDirectoryKind[] = "Directory ";

#endif
