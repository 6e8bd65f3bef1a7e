// Runs a built program as a child process and collects what it did: exit
// status, the bytes it wrote to standard error and how long it took.
#ifndef AFTERSETUP_TESTS_SUPPORT_RUN_TOOL_H
#define AFTERSETUP_TESTS_SUPPORT_RUN_TOOL_H

#include <chrono>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace testsupport {

struct RunOptions {
    std::string workingDirectory;            // empty: the test's own
    std::map<std::string, std::string> env;  // set on top of the test's environment
    std::vector<std::string> unsetEnv;       // removed from it
    bool closeStderr = false;                // start the child with descriptor 2 closed
    std::optional<std::string> stderrPath;   // send standard error to this file
};

struct RunResult {
    int exitStatus = -1;   // -1 unless the child exited normally
    int termSignal = 0;    // the signal that ended it, if one did
    std::string stderrText;
    std::string stdoutText;
    std::chrono::milliseconds elapsed{0};
};

// argv[0] is the program to run, taken as a path.
RunResult RunProgram(const std::vector<std::string> &argv, const RunOptions &options = {});

// The environment a program started with these options gets: the test's
// own with the options' changes applied, as NAME=value, ordered by name.
std::vector<std::string> BuildEnvironment(const RunOptions &options);

// The path of the built tool.
std::string ToolPath();

}  // namespace testsupport

#endif
