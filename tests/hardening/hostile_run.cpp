#include "hardening/hostile_run.h"

#include <cerrno>
#include <csignal>
#include <cstddef>
#include <fcntl.h>
#include <linux/audit.h>
#include <linux/filter.h>
#include <linux/seccomp.h>
#include <sched.h>
#include <stdexcept>
#include <sys/mount.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

#include "support/run_tool.h"
#include "support/temp_dir.h"

namespace hardening {

namespace {

constexpr unsigned kFchmodat2 = 452;

// A filter that makes fchmodat2 look like a kernel that does not have it.
bool DenyFchmodat2()
{
    sock_filter code[] = {
        BPF_STMT(BPF_LD | BPF_W | BPF_ABS, offsetof(seccomp_data, nr)),
        BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, kFchmodat2, 0, 1),
        BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ERRNO | ENOSYS),
        BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ALLOW),
    };
    sock_fprog program = {static_cast<unsigned short>(sizeof code / sizeof code[0]), code};
    return prctl(PR_SET_NO_NEW_PRIVS, 1, 0, 0, 0) == 0 &&
           prctl(PR_SET_SECCOMP, SECCOMP_MODE_FILTER, &program) == 0;
}

bool PrepareMounts(const HostileSetup &setup)
{
    if (!setup.withoutProc && !setup.withoutDevNull)
        return true;
    if (unshare(CLONE_NEWNS) != 0 || mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0)
        return false;
    if (setup.withoutProc && umount2("/proc", MNT_DETACH) != 0)
        return false;
    if (setup.withoutDevNull && mount("none", "/dev", "tmpfs", 0, nullptr) != 0)
        return false;
    return true;
}

bool PrepareErrorStream(ErrorStream kind, int captureFd)
{
    switch (kind) {
    case ErrorStream::captured:
        return dup2(captureFd, 2) == 2;
    case ErrorStream::closed:
        return close(2) == 0 || errno == EBADF;
    case ErrorStream::fullDevice: {
        int fd = open("/dev/full", O_WRONLY);
        return fd != -1 && dup2(fd, 2) == 2;
    }
    case ErrorStream::brokenPipe: {
        int fds[2];
        if (pipe(fds) != 0)
            return false;
        close(fds[0]);
        return dup2(fds[1], 2) == 2;
    }
    }
    return false;
}

// Runs in the forked child: system calls only, then exec.
[[noreturn]] void StartTool(char **argv, const HostileSetup &setup, int captureFd)
{
    int devNull = open("/dev/null", O_RDWR);
    if (devNull == -1 || dup2(devNull, 0) != 0 || dup2(devNull, 1) != 1)
        _exit(120);
    if (setup.ignoreSigchld) {
        signal(SIGCHLD, SIG_IGN);
        signal(SIGPIPE, SIG_IGN);
    }
    if (setup.startDirectory != -1 && fchdir(setup.startDirectory) != 0)
        _exit(121);
    if (!PrepareMounts(setup))
        _exit(122);
    if (setup.withoutFchmodat2 && !DenyFchmodat2())
        _exit(123);
    if (!PrepareErrorStream(setup.stderrKind, captureFd))
        _exit(124);
    execv(argv[0], argv);
    _exit(127);
}

} // namespace

HostileResult RunTool(const std::vector<std::string> &args, const HostileSetup &setup)
{
    testsupport::TempDir scratch;
    std::string capturePath = scratch / "stderr";
    int captureFd = open(capturePath.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (captureFd == -1)
        throw std::runtime_error("cannot create " + capturePath);

    std::vector<std::string> strings;
    strings.push_back(testsupport::ToolPath());
    strings.insert(strings.end(), args.begin(), args.end());
    std::vector<char *> argv;
    for (auto &s : strings)
        argv.push_back(s.data());
    argv.push_back(nullptr);

    auto start = std::chrono::steady_clock::now();
    pid_t pid = fork();
    if (pid == -1)
        throw std::runtime_error("fork failed");
    if (pid == 0)
        StartTool(argv.data(), setup, captureFd);
    close(captureFd);

    HostileResult result;
    int status = 0;
    for (;;) {
        pid_t done = waitpid(pid, &status, WNOHANG);
        if (done == pid)
            break;
        if (done == -1 && errno != EINTR)
            throw std::runtime_error("waitpid failed");
        if (std::chrono::steady_clock::now() - start > setup.timeout) {
            result.timedOut = true;
            kill(pid, SIGKILL);
            waitpid(pid, &status, 0);
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    result.elapsed = std::chrono::duration_cast<std::chrono::milliseconds>(
        std::chrono::steady_clock::now() - start);
    if (WIFEXITED(status))
        result.exitStatus = WEXITSTATUS(status);
    else if (WIFSIGNALED(status))
        result.termSignal = WTERMSIG(status);
    result.stderrText = testsupport::ReadFile(capturePath);
    return result;
}

void WriteScript(const std::string &path, const std::string &body)
{
    testsupport::WriteFile(path, "#!/bin/sh\n" + body, 0755);
}

} // namespace hardening
