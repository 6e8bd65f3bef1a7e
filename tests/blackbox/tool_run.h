// Running the built tool for the black-box tests, and the texts it is
// expected to write.
#ifndef AFTERSETUP_TESTS_BLACKBOX_TOOL_RUN_H
#define AFTERSETUP_TESTS_BLACKBOX_TOOL_RUN_H

#include <string>
#include <vector>

#include "support/run_tool.h"

namespace blackbox {

// Runs the tool with args after its own path. DISPLAY is removed from its
// environment, so no window lookup can hold it back.
testsupport::RunResult RunTool(const std::vector<std::string> &args,
                               testsupport::RunOptions options = {});

// The environment RunTool hands the tool for these options, sorted.
std::vector<std::string> ToolEnvironment(const testsupport::RunOptions &options);

std::string ProbePath();
// Copies the probe program to path as an executable.
void CopyProbe(const std::string &path, unsigned mode = 0755);

std::string FileLine(const std::string &name);
std::string DirectoryLine(const std::string &path);

// Whether text is the concatenation of all pieces, in any order.
bool IsSomeOrderOf(const std::string &text, std::vector<std::string> pieces);

// Absolute, symlink-free form of an existing path.
std::string Canonical(const std::string &path);

// True when a test that needs root may be skipped: not root and not in CI.
// In CI a missing privilege is a failure, not a skip.
bool MaySkipWithoutRoot();

} // namespace blackbox

#endif
