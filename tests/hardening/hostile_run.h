// Runs the built tool in the hostile surroundings these tests need:
// standard error closed, full or a pipe with no reader; a start directory
// that no path reaches; SIGCHLD ignored by the parent; no /proc, no
// fchmodat2, no /dev/null. Standard error goes to a file, so that a
// process left behind by a follow-up program cannot hold the run open,
// and a run that does not end in time is killed and reported as such.
#ifndef AFTERSETUP_TESTS_HARDENING_HOSTILE_RUN_H
#define AFTERSETUP_TESTS_HARDENING_HOSTILE_RUN_H

#include <chrono>
#include <string>
#include <vector>

namespace hardening {

enum class ErrorStream { captured, closed, fullDevice, brokenPipe };

struct HostileSetup {
    ErrorStream stderrKind = ErrorStream::captured;
    int startDirectory = -1;       // a directory descriptor to start in (fchdir)
    bool ignoreSigchld = false;    // the parent's SIGCHLD (and SIGPIPE) ignored
    bool withoutProc = false;      // a mount namespace without /proc
    bool withoutFchmodat2 = false; // the system call reports ENOSYS
    bool withoutDevNull = false;   // an empty /dev
    std::chrono::milliseconds timeout{30000};
};

struct HostileResult {
    int exitStatus = -1; // -1 unless the tool exited normally
    int termSignal = 0;
    bool timedOut = false;
    std::string stderrText;
    std::chrono::milliseconds elapsed{0};
};

// argv[0] is left out: the built tool is run with args as arguments 1 on.
HostileResult RunTool(const std::vector<std::string> &args, const HostileSetup &setup = {});

// Writes an executable shell script.
void WriteScript(const std::string &path, const std::string &body);

} // namespace hardening

#endif
