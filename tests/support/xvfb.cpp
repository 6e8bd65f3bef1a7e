#include "support/xvfb.h"

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <stdexcept>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

namespace testsupport {

namespace {

constexpr int kDisplayFd = 3;
constexpr int kStartTimeoutMs = 15000;

[[noreturn]] void RunServer(int displayWriter)
{
    // The server goes with the test, even when the test dies.
    prctl(PR_SET_PDEATHSIG, SIGKILL);
    if (displayWriter == kDisplayFd)
        fcntl(kDisplayFd, F_SETFD, 0);
    else
        dup2(displayWriter, kDisplayFd);
    int null = open("/dev/null", O_RDWR);
    if (null >= 0) {
        dup2(null, 0);
        dup2(null, 1);
        dup2(null, 2);
    }
    // -noreset: the server keeps its state when the last client leaves, so
    // a test's connect-per-look never races a server reset.
    execlp("Xvfb", "Xvfb", "-displayfd", "3", "-nolisten", "tcp", "-noreset", "-screen", "0",
           "640x480x24", static_cast<char *>(nullptr));
    _exit(127);
}

// Xvfb writes the display number, then a line feed, once it listens.
std::string ReadDisplayNumber(int reader)
{
    std::string text;
    auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(kStartTimeoutMs);
    while (text.find('\n') == std::string::npos) {
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0)
            throw std::runtime_error("Xvfb did not report its display within 15 s");
        pollfd pfd = {reader, POLLIN, 0};
        int ready = poll(&pfd, 1, static_cast<int>(left.count()));
        if (ready < 0 && errno == EINTR)
            continue;
        char buffer[32];
        ssize_t got = ready > 0 ? read(reader, buffer, sizeof buffer) : 0;
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            return std::string();
        text.append(buffer, static_cast<std::size_t>(got));
    }
    return text.substr(0, text.find('\n'));
}

bool AcceptsConnections(const std::string &number)
{
    int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return false;
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::string path = "/tmp/.X11-unix/X" + number;
    std::strncpy(address.sun_path, path.c_str(), sizeof address.sun_path - 1);
    bool ok = connect(fd, reinterpret_cast<sockaddr *>(&address), sizeof address) == 0;
    close(fd);
    return ok;
}

}  // namespace

Xvfb::Xvfb()
{
    int fds[2];
    if (pipe2(fds, O_CLOEXEC) != 0)
        throw std::runtime_error("pipe failed");
    pid_ = fork();
    if (pid_ < 0) {
        close(fds[0]);
        close(fds[1]);
        throw std::runtime_error("fork failed");
    }
    if (pid_ == 0)
        RunServer(fds[1]);
    close(fds[1]);
    std::string number;
    try {
        number = ReadDisplayNumber(fds[0]);
    } catch (...) {
        close(fds[0]);
        Kill();
        throw;
    }
    close(fds[0]);

    if (number.empty()) {
        int status = 0;
        while (waitpid(pid_, &status, 0) < 0 && errno == EINTR) {
        }
        pid_ = -1;
        if (WIFEXITED(status) && WEXITSTATUS(status) == 127)
            throw std::runtime_error(
                "Xvfb is not installed: the X11 tests need it (Debian package xvfb, "
                "installed by scripts/install-deps.sh)");
        throw std::runtime_error("Xvfb ended before it was ready");
    }
    for (int attempt = 0; !AcceptsConnections(number); ++attempt) {
        if (attempt == 100) {
            Kill();
            throw std::runtime_error("Xvfb on :" + number + " does not accept connections");
        }
        usleep(50 * 1000);
    }
    display_ = ":" + number;
}

Xvfb::~Xvfb()
{
    Kill();
}

void Xvfb::Kill()
{
    if (pid_ <= 0)
        return;
    kill(pid_, SIGKILL);
    while (waitpid(pid_, nullptr, 0) < 0 && errno == EINTR) {
    }
    pid_ = -1;
}

}  // namespace testsupport
