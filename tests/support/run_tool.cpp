#include "support/run_tool.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <stdexcept>
#include <sys/wait.h>
#include <unistd.h>

extern char **environ;

namespace testsupport {

namespace {

void Drain(int fds[2], std::string *out[2])
{
    bool open[2] = {fds[0] >= 0, fds[1] >= 0};
    char buffer[4096];
    while (open[0] || open[1]) {
        pollfd pfd[2];
        int n = 0;
        int index[2];
        for (int i = 0; i < 2; ++i) {
            if (open[i]) {
                pfd[n] = {fds[i], POLLIN, 0};
                index[n++] = i;
            }
        }
        if (poll(pfd, static_cast<nfds_t>(n), -1) < 0) {
            if (errno == EINTR)
                continue;
            break;
        }
        for (int k = 0; k < n; ++k) {
            if (pfd[k].revents == 0)
                continue;
            int i = index[k];
            ssize_t got = read(fds[i], buffer, sizeof buffer);
            if (got > 0) {
                out[i]->append(buffer, static_cast<size_t>(got));
            } else if (got == 0 || errno != EINTR) {
                close(fds[i]);
                open[i] = false;
            }
        }
    }
}

}  // namespace

std::vector<std::string> BuildEnvironment(const RunOptions &options)
{
    std::map<std::string, std::string> vars;
    for (char **e = environ; *e != nullptr; ++e) {
        std::string entry = *e;
        auto eq = entry.find('=');
        if (eq != std::string::npos)
            vars[entry.substr(0, eq)] = entry.substr(eq + 1);
    }
    for (const auto &name : options.unsetEnv)
        vars.erase(name);
    for (const auto &[name, value] : options.env)
        vars[name] = value;
    std::vector<std::string> result;
    for (const auto &[name, value] : vars)
        result.push_back(name + "=" + value);
    return result;
}

RunResult RunProgram(const std::vector<std::string> &argv, const RunOptions &options)
{
    std::vector<std::string> envStrings = BuildEnvironment(options);
    std::vector<char *> envp;
    for (auto &s : envStrings)
        envp.push_back(s.data());
    envp.push_back(nullptr);
    std::vector<std::string> args = argv;
    std::vector<char *> argp;
    for (auto &s : args)
        argp.push_back(s.data());
    argp.push_back(nullptr);

    int outPipe[2], errPipe[2];
    if (pipe2(outPipe, O_CLOEXEC) != 0 || pipe2(errPipe, O_CLOEXEC) != 0)
        throw std::runtime_error("pipe failed");

    auto start = std::chrono::steady_clock::now();
    pid_t pid = fork();
    if (pid < 0)
        throw std::runtime_error("fork failed");
    if (pid == 0) {
        dup2(outPipe[1], 1);
        if (options.closeStderr) {
            close(2);
        } else if (options.stderrPath) {
            int fd = open(options.stderrPath->c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
            if (fd < 0)
                _exit(126);
            dup2(fd, 2);
        } else {
            dup2(errPipe[1], 2);
        }
        if (!options.workingDirectory.empty() && chdir(options.workingDirectory.c_str()) != 0)
            _exit(126);
        execve(argp[0], argp.data(), envp.data());
        _exit(127);
    }
    close(outPipe[1]);
    close(errPipe[1]);

    RunResult result;
    int fds[2] = {outPipe[0], errPipe[0]};
    std::string *outs[2] = {&result.stdoutText, &result.stderrText};
    Drain(fds, outs);

    int status = 0;
    while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    result.elapsed = std::chrono::duration_cast<std::chrono::milliseconds>(
        std::chrono::steady_clock::now() - start);
    if (WIFEXITED(status))
        result.exitStatus = WEXITSTATUS(status);
    else if (WIFSIGNALED(status))
        result.termSignal = WTERMSIG(status);
    return result;
}

std::string ToolPath()
{
    return AFTERSETUP_TOOL_PATH;
}

}  // namespace testsupport
