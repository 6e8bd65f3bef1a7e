#include "wine_process.h"

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <stdexcept>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include "wine_env.h"

namespace winetest {

WineProcess::WineProcess(const std::string &program, const std::vector<std::string> &args,
                         bool discardOutput)
{
    std::vector<std::string> argv = {WinePath(), program};
    argv.insert(argv.end(), args.begin(), args.end());
    std::vector<char *> argp;
    argp.reserve(argv.size() + 1);
    for (auto &arg : argv)
        argp.push_back(arg.data());
    argp.push_back(nullptr);

    int fds[2] = {-1, -1};
    if (!discardOutput && pipe2(fds, O_CLOEXEC) != 0)
        throw std::runtime_error("pipe failed");
    pid_ = fork();
    if (pid_ < 0)
        throw std::runtime_error("fork failed");
    if (pid_ == 0) {
        // A helper left behind by a failed test ends with the suite.
        prctl(PR_SET_PDEATHSIG, SIGKILL);
        int null = open("/dev/null", O_RDWR);
        dup2(null, 0);
        dup2(discardOutput ? null : fds[1], 1);
        dup2(null, 2);
        execv(argp[0], argp.data());
        _exit(127);
    }
    if (!discardOutput) {
        close(fds[1]);
        output_ = fds[0];
    }
}

WineProcess::~WineProcess()
{
    if (pid_ > 0) {
        kill(pid_, SIGKILL);
        Wait();
    }
    if (output_ >= 0)
        close(output_);
}

bool WineProcess::Contains(const std::string &line) const
{
    // Console output of a Windows program ends its lines in CR LF.
    for (const char *end : {"\r\n", "\n"}) {
        std::string wanted = line + end;
        if (text_.compare(0, wanted.size(), wanted) == 0 ||
            text_.find("\n" + wanted) != std::string::npos)
            return true;
    }
    return false;
}

// Reads what the pipe holds, waiting up to timeoutMs for the first bytes.
// False once the pipe is at its end.
bool WineProcess::ReadAvailable(int timeoutMs)
{
    if (output_ < 0)
        return false;
    pollfd pfd = {output_, POLLIN, 0};
    int ready = poll(&pfd, 1, timeoutMs);
    if (ready < 0)
        return errno == EINTR;
    if (ready == 0)
        return true;
    char buffer[256];
    ssize_t got = read(output_, buffer, sizeof buffer);
    if (got < 0)
        return errno == EINTR;
    if (got == 0) {
        close(output_);
        output_ = -1;
        return false;
    }
    text_.append(buffer, static_cast<std::size_t>(got));
    return true;
}

bool WineProcess::WaitForLine(const std::string &line, std::chrono::milliseconds timeout)
{
    auto deadline = std::chrono::steady_clock::now() + timeout;
    while (!Contains(line)) {
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0 || !ReadAvailable(static_cast<int>(left.count())))
            return Contains(line);
    }
    return true;
}

bool WineProcess::HasWrittenLine(const std::string &line)
{
    while (ReadAvailable(0) && output_ >= 0) {
        pollfd pfd = {output_, POLLIN, 0};
        if (poll(&pfd, 1, 0) <= 0)
            break;
    }
    return Contains(line);
}

int WineProcess::Wait()
{
    if (pid_ <= 0)
        return -1;
    int status = 0;
    while (waitpid(pid_, &status, 0) < 0 && errno == EINTR) {
    }
    pid_ = -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

}  // namespace winetest
