// What the Wine suite runs on: a Wine prefix of its own (WINEPREFIX, made
// with wineboot on first use), a Wine server kept up for the whole run, an
// X server of its own for the helpers' windows, and the built .exe files.
// Everything the suite needs is required: a missing piece fails the run.
#ifndef AFTERSETUP_TESTS_WINE_WINE_ENV_H
#define AFTERSETUP_TESTS_WINE_WINE_ENV_H

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "support/run_tool.h"
#include "support/xvfb.h"

namespace winetest {

// Paths of the programs; each throws std::runtime_error when missing.
std::string WinePath();
std::string ToolExe();
std::string HelperExe(const std::string &name);
std::string ObjdumpPath();

// The Windows form Wine gives a Linux path: drive Z: is the root.
std::string ToWindowsPath(const std::string &path);

// Runs the tool under Wine to its end, with these arguments.
testsupport::RunResult RunTool(const std::vector<std::string> &args,
                               const testsupport::RunOptions &options = {});
// Runs one of the suite's helpers under Wine to its end.
testsupport::RunResult RunHelper(const std::string &name, const std::vector<std::string> &args);

class WineEnvironment : public ::testing::Environment {
public:
    void SetUp() override;
    void TearDown() override;

private:
    std::unique_ptr<testsupport::Xvfb> xvfb_;
    bool serverStarted_ = false;
};

}  // namespace winetest

#endif
