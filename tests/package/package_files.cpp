#include "package/package_files.h"

#include <algorithm>
#include <cstdio>
#include <dirent.h>
#include <filesystem>
#include <gtest/gtest.h>
#include <map>
#include <sys/stat.h>

namespace packagetest {

namespace {

const std::map<std::string, std::string> &Tools()
{
    static const std::map<std::string, std::string> tools = {
        {"dpkg", AFTERSETUP_DPKG},
        {"dpkg-deb", AFTERSETUP_DPKG_DEB},
        {"gzip", AFTERSETUP_GZIP_PATH},
        {"man", AFTERSETUP_MAN},
    };
    return tools;
}

}  // namespace

std::string SourceDir()
{
    return AFTERSETUP_SOURCE_DIR;
}

std::string ProjectVersion()
{
    return AFTERSETUP_PROJECT_VERSION;
}

std::string InstallPrefix()
{
    return AFTERSETUP_INSTALL_PREFIX;
}

std::string DebPath()
{
    std::vector<std::string> debs;
    std::error_code error;
    for (const auto &entry : std::filesystem::directory_iterator(AFTERSETUP_DEB_DIR, error)) {
        if (entry.path().extension() == ".deb")
            debs.push_back(entry.path().string());
    }
    if (debs.size() != 1) {
        ADD_FAILURE() << "expected exactly one .deb in " << AFTERSETUP_DEB_DIR << ", found "
                      << debs.size();
        return std::string();
    }
    return debs.front();
}

bool ExtractDeb(const std::string &root)
{
    std::string deb = DebPath();
    if (deb.empty())
        return false;
    testsupport::RunResult result = RunTool("dpkg", {"-x", deb, root});
    EXPECT_EQ(result.exitStatus, 0) << result.stderrText;
    return result.exitStatus == 0;
}

testsupport::RunResult RunTool(const std::string &tool, const std::vector<std::string> &args)
{
    const std::string &path = Tools().at(tool);
    if (path.empty() || path.front() != '/') {
        ADD_FAILURE() << tool << " was not found when the build was configured (" << path
                      << "); scripts/install-deps.sh installs it";
        return {};
    }
    std::vector<std::string> argv = {path};
    argv.insert(argv.end(), args.begin(), args.end());
    return testsupport::RunProgram(argv);
}

std::vector<std::string> ListFilesWithModes(const std::string &root)
{
    std::vector<std::string> files;
    std::error_code error;
    for (auto it = std::filesystem::recursive_directory_iterator(root, error);
         it != std::filesystem::recursive_directory_iterator(); it.increment(error)) {
        struct stat st;
        if (lstat(it->path().c_str(), &st) != 0 || S_ISDIR(st.st_mode))
            continue;
        char mode[8];
        std::snprintf(mode, sizeof mode, "%04o", static_cast<unsigned>(st.st_mode & 07777));
        std::string kind = S_ISREG(st.st_mode) ? "" : " (not a regular file)";
        files.push_back(std::filesystem::relative(it->path(), root).string() + " " + mode + kind);
    }
    std::sort(files.begin(), files.end());
    return files;
}

}  // namespace packagetest
