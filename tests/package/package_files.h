// Where the package tests find what the fixtures made (the install tree,
// the .deb) and the tools that take them apart.
#ifndef AFTERSETUP_TESTS_PACKAGE_PACKAGE_FILES_H
#define AFTERSETUP_TESTS_PACKAGE_PACKAGE_FILES_H

#include <string>
#include <vector>

#include "support/run_tool.h"

namespace packagetest {

std::string SourceDir();
std::string ProjectVersion();
std::string InstallPrefix();  // what `cmake --install --prefix` filled

// The one .deb cpack made; empty (with a test failure) when there is not
// exactly one.
std::string DebPath();
// Unpacks the .deb into root, as `dpkg -x` does; false on failure.
bool ExtractDeb(const std::string &root);

// Runs one of the tools found at configure time (dpkg, dpkg-deb, gzip,
// man), failing the test when it was not found.
testsupport::RunResult RunTool(const std::string &tool, const std::vector<std::string> &args);

// Regular files below root, as "relative/path mode" lines, sorted.
std::vector<std::string> ListFilesWithModes(const std::string &root);

}  // namespace packagetest

#endif
