#include "blackbox/tool_run.h"

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <stdexcept>
#include <unistd.h>

#include "support/temp_dir.h"

namespace blackbox {

namespace {

testsupport::RunOptions WithoutDisplay(testsupport::RunOptions options)
{
    options.unsetEnv.push_back("DISPLAY");
    return options;
}

} // namespace

testsupport::RunResult RunTool(const std::vector<std::string> &args,
                               testsupport::RunOptions options)
{
    std::vector<std::string> argv{testsupport::ToolPath()};
    argv.insert(argv.end(), args.begin(), args.end());
    return testsupport::RunProgram(argv, WithoutDisplay(std::move(options)));
}

std::vector<std::string> ToolEnvironment(const testsupport::RunOptions &options)
{
    std::vector<std::string> result = testsupport::BuildEnvironment(WithoutDisplay(options));
    std::sort(result.begin(), result.end());
    return result;
}

std::string ProbePath()
{
    return AFTERSETUP_PROBE_PATH;
}

void CopyProbe(const std::string &path, unsigned mode)
{
    std::string content = testsupport::ReadFile(ProbePath());
    if (content.empty())
        throw std::runtime_error("cannot read the probe at " + ProbePath());
    testsupport::WriteFile(path, content, mode);
}

std::string FileLine(const std::string &name)
{
    return "File " + name + " cannot be removed\n";
}

std::string DirectoryLine(const std::string &path)
{
    return "Directory " + path + " cannot be removed\n";
}

bool IsSomeOrderOf(const std::string &text, std::vector<std::string> pieces)
{
    if (pieces.empty())
        return text.empty();
    for (std::size_t i = 0; i < pieces.size(); ++i) {
        const std::string &piece = pieces[i];
        if (text.compare(0, piece.size(), piece) != 0)
            continue;
        std::vector<std::string> rest = pieces;
        rest.erase(rest.begin() + static_cast<std::ptrdiff_t>(i));
        if (IsSomeOrderOf(text.substr(piece.size()), rest))
            return true;
    }
    return false;
}

std::string Canonical(const std::string &path)
{
    char *resolved = realpath(path.c_str(), nullptr);
    if (resolved == nullptr)
        throw std::runtime_error("cannot resolve " + path);
    std::string result = resolved;
    std::free(resolved);
    return result;
}

bool MaySkipWithoutRoot()
{
    return geteuid() != 0 && std::getenv("CI") == nullptr;
}

} // namespace blackbox
