#include "wine_env.h"

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <stdexcept>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "wine_process.h"

namespace winetest {

namespace {

std::string RequiredVariable(const char *name)
{
    const char *value = std::getenv(name);
    if (value == nullptr || *value == '\0')
        throw std::runtime_error(std::string(name) +
                                 " is not set: run the suite through ctest in build-win32");
    return value;
}

std::string ExistingFile(const std::string &path, const std::string &what)
{
    if (access(path.c_str(), R_OK) != 0)
        throw std::runtime_error(what + " is missing: " + path +
                                 " (build it with cmake --build --preset win32)");
    return path;
}

std::string FindInPath(const std::string &program, const std::string &package)
{
    const char *path = std::getenv("PATH");
    std::string dirs = path != nullptr ? path : "/usr/bin:/bin";
    std::size_t start = 0;
    while (start <= dirs.size()) {
        std::size_t end = dirs.find(':', start);
        if (end == std::string::npos)
            end = dirs.size();
        std::string candidate = dirs.substr(start, end - start) + "/" + program;
        if (access(candidate.c_str(), X_OK) == 0)
            return candidate;
        start = end + 1;
    }
    throw std::runtime_error(program + " is not installed: the Wine suite needs it (Debian " +
                             package + ", installed by scripts/install-deps.sh)");
}

// Runs a program to its end with every standard descriptor on /dev/null:
// the Wine server and the services that Wine starts on first use outlive
// the program, and must not keep the pipes of later runs open.
int RunDetached(const std::vector<std::string> &argv)
{
    std::vector<std::string> args = argv;
    std::vector<char *> argp;
    argp.reserve(args.size() + 1);
    for (auto &arg : args)
        argp.push_back(arg.data());
    argp.push_back(nullptr);
    pid_t pid = fork();
    if (pid < 0)
        throw std::runtime_error("fork failed");
    if (pid == 0) {
        int null = open("/dev/null", O_RDWR);
        dup2(null, 0);
        dup2(null, 1);
        dup2(null, 2);
        execv(argp[0], argp.data());
        _exit(127);
    }
    int status = 0;
    while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

bool PrefixIsReady(const std::string &prefix)
{
    return access((prefix + "/system.reg").c_str(), R_OK) == 0;
}

// The server writes the registry out when it ends, so the prefix is
// complete only once the server that made it has gone.
void MakePrefix(const std::string &prefix, const std::string &wineboot,
                const std::string &wineserver)
{
    if (RunDetached({wineboot, "-i"}) != 0)
        throw std::runtime_error("wineboot -i failed for " + prefix);
    RunDetached({wineserver, "-w"});
    if (!PrefixIsReady(prefix))
        throw std::runtime_error("wineboot made no prefix in " + prefix);
}

}  // namespace

std::string WinePath()
{
    static const std::string path = FindInPath("wine", "packages wine and wine32:i386");
    return path;
}

std::string ToolExe()
{
    return ExistingFile(RequiredVariable("AFTERSETUP_EXE"), "the tool");
}

std::string HelperExe(const std::string &name)
{
    return ExistingFile(RequiredVariable("AFTERSETUP_HELPERS_DIR") + "/" + name + ".exe",
                        "the test helper " + name);
}

std::string ObjdumpPath()
{
    std::string path = RequiredVariable("AFTERSETUP_OBJDUMP");
    if (access(path.c_str(), X_OK) != 0)
        throw std::runtime_error("objdump is missing: " + path);
    return path;
}

std::string ToWindowsPath(const std::string &path)
{
    std::string windows = "Z:" + path;
    for (char &c : windows) {
        if (c == '/')
            c = '\\';
    }
    return windows;
}

testsupport::RunResult RunTool(const std::vector<std::string> &args,
                               const testsupport::RunOptions &options)
{
    std::vector<std::string> argv = {WinePath(), ToolExe()};
    argv.insert(argv.end(), args.begin(), args.end());
    return testsupport::RunProgram(argv, options);
}

testsupport::RunResult RunHelper(const std::string &name, const std::vector<std::string> &args)
{
    std::vector<std::string> argv = {WinePath(), HelperExe(name)};
    argv.insert(argv.end(), args.begin(), args.end());
    return testsupport::RunProgram(argv);
}

void WineEnvironment::SetUp()
{
    try {
        std::string prefix = RequiredVariable("WINEPREFIX");
        std::string wineserver = FindInPath("wineserver", "package wine");
        std::string wineboot = FindInPath("wineboot", "package wine");
        WinePath();
        ToolExe();

        // Quiet, and no offer to install Mono or Gecko into the prefix.
        setenv("WINEDEBUG", "-all", 1);
        setenv("WINEDLLOVERRIDES", "mscoree,mshtml=", 1);
        setenv("WINEARCH", "win32", 1);

        // A server left from an earlier run would hold the desktop on an X
        // server that is gone.
        mkdir(prefix.c_str(), 0755);
        RunDetached({wineserver, "-k"});
        RunDetached({wineserver, "-w"});

        xvfb_ = std::make_unique<testsupport::Xvfb>();
        setenv("DISPLAY", xvfb_->display().c_str(), 1);

        if (!PrefixIsReady(prefix))
            MakePrefix(prefix, wineboot, wineserver);
        if (RunDetached({wineserver, "-p"}) != 0)
            throw std::runtime_error("wineserver -p failed for " + prefix);
        serverStarted_ = true;

        // Brings up the desktop and Wine's services now, detached.
        WineProcess warmUp(HelperExe("window_holder"), {"WarmUp", "WarmUp", "1"}, true);
        if (warmUp.Wait() != 0)
            throw std::runtime_error("a window could not be created under Wine on " +
                                     xvfb_->display());
    } catch (const std::exception &e) {
        FAIL() << e.what();
    }
}

void WineEnvironment::TearDown()
{
    if (serverStarted_) {
        std::string wineserver = FindInPath("wineserver", "package wine");
        RunDetached({wineserver, "-k"});
        RunDetached({wineserver, "-w"});
    }
    xvfb_.reset();
}

}  // namespace winetest
