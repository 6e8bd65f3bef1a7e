// A recording stand-in for platform/: every Win32 call, class-library
// service and runtime function the tool uses, over an in-memory model of
// the command line, the setup window, the current directory, a few
// directories with their entries, and the programs that can be started.
// Each call is appended to a log as a readable string, and any call that
// can fail can be made to fail on demand (see FailFallibleCall).
//
// The model follows Win32, not POSIX, where they differ: deleting a
// read-only file fails, and a directory that is some process's current
// directory or has a search open in it cannot be removed.
#ifndef AFTERSETUP_TESTS_FAKE_FAKE_PLATFORM_H
#define AFTERSETUP_TESTS_FAKE_FAKE_PLATFORM_H

#include <map>
#include <set>
#include <string>
#include <vector>

#include "platform/afx.h"
#include "platform/win32api.h"

namespace fake {

// One directory entry and how the class library treats it.
struct Entry {
    std::string name;
    unsigned char attributes = CFile::archive;
    bool statusReadFails = false;  // CFile::GetStatus returns FALSE
    bool setStatusThrows = false;  // CFile::SetStatus throws a CFileException
    bool removeThrows = false;     // CFile::Remove throws a CFileException
    CTimeValue ctime = 1000;
    CTimeValue mtime = 2000;
    CTimeValue atime = 3000;
};

Entry File(const std::string &name, unsigned char attributes = CFile::archive);
Entry Subdirectory(const std::string &name);

struct Directory {
    std::vector<Entry> entries;  // in listing order, without the dots
    bool listsDots = true;       // "." and ".." come first, as on Win32
    bool searchFails = false;    // FindFile returns FALSE
};

// What one CreateProcessA call was given.
struct ProcessStart {
    std::string application;
    std::string commandLine;
    bool commandLineNull = false;
    bool securityAttributesNull = false;
    BOOL inheritHandles = FALSE;
    DWORD creationFlags = 0;
    bool environmentNull = false;
    bool currentDirectoryNull = false;
    bool processInformationNull = false;
    STARTUPINFOA startup = {};
    bool startupNull = false;
};

// The scriptable part of the model. Tests set it up after Reset().
struct World {
    std::vector<std::string> arguments = {"aftersetup.exe"};
    std::string commandLine = "aftersetup.exe";
    BOOL afxWinInitResult = TRUE;

    // FindWindowA's answers in order; once they run out, no window.
    std::vector<bool> windowAnswers;

    // The current directory. Without a path, GetCurrentDirectoryA returns 0
    // (the directory was removed under the process).
    std::string currentDirectory = "/start";
    bool currentDirectoryHasPath = true;

    // Existing directories by full path; "/" always exists.
    std::map<std::string, Directory> directories;
    std::set<std::string> setCurrentDirectoryFails;  // by the path as given
    std::set<std::string> removeDirectoryFails;      // by full path

    std::set<std::string> programsThatFailToStart;
    std::map<std::string, DWORD> waitResults;  // by program; default WAIT_OBJECT_0
};

// Forgets every call, handle, search and exception count and puts a fresh
// world in place; the application object (a global) is kept.
void Reset();
World &TheWorld();

// The log without pure queries (IsDots, GetFileName, GetModuleHandleA, ...),
// with what reached std::cerr in between as stderr("...") lines.
std::vector<std::string> Calls();
// Every call, queries included.
std::vector<std::string> AllCalls();

// Fault injection. Every call that can fail is counted as it is made; the
// label of each, with its occurrence (e.g. "FindNextFile#3"), is kept in
// order. FailFallibleCall(k) makes the k-th (1-based) fail: it returns its
// failure value, or throws a CFileException as the class library would.
std::vector<std::string> FallibleCalls();
void FailFallibleCall(int k);
// The label of the call that was made to fail, or "" if none was reached.
std::string InjectedFailure();

// Resource accounting.
int LiveExceptions();     // thrown CFileExceptions not yet Delete()d
int ThrownExceptions();   // all thrown since Reset()
int OpenSearches();       // CFileFind searches not yet closed
std::vector<std::string> OpenHandles();  // e.g. "process:a.exe"
const std::vector<ProcessStart> &ProcessStarts();

// Inspection of the model after a run.
bool DirectoryExists(const std::string &path);
std::vector<std::string> EntryNames(const std::string &directory);
const Entry *FindEntry(const std::string &directory, const std::string &name);

// The module handle GetModuleHandleA(nullptr) returns.
HMODULE ModuleHandle();

// Sets the argument vector and command line, then calls WinMain as the
// backend's main() would.
int RunWinMain(const std::vector<std::string> &arguments);

// Sends std::cerr into memory for its lifetime (rdbuf swap only: the
// stream's unitbuf flag and tie stay as they are) and keeps track of the
// flushes, so that a test can tell a written line from a flushed one.
class StderrCapture {
public:
    StderrCapture();
    ~StderrCapture();
    StderrCapture(const StderrCapture &) = delete;
    StderrCapture &operator=(const StderrCapture &) = delete;

    std::string Text() const;
    // How many bytes had been written at the last flush (sync).
    std::size_t FlushedBytes() const;
    int Flushes() const;
};

// Used by the fake itself.
namespace detail {
void Record(const std::string &call);
void RecordQuery(const std::string &call);
bool ShouldFail(const std::string &label);
void AppendStderr(const char *data, std::size_t size);
[[noreturn]] void ThrowFileException(int cause, long osError);
void TrackException(const void *exception);
void ResetExceptionCounts();
void SearchOpened(const std::string &path);
void SearchClosed(const std::string &path);
std::string ResolvePath(const std::string &path);
std::string ParentOf(const std::string &path);
Directory *FindDirectory(const std::string &path);
Entry *FindMutableEntry(const std::string &directory, const std::string &name);
bool SearchOpenIn(const std::string &path);
HANDLE NewHandle(const std::string &label);
std::string HandleLabel(HANDLE handle);
bool CloseHandleLabel(HANDLE handle);
void RecordProcessStart(const ProcessStart &start);
void PrepareRuntime();
char **ArgumentVector();
int ArgumentCount();
char *CommandLine();
}  // namespace detail

}  // namespace fake

#endif
