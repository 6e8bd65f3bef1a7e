#include "held_window.h"

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <poll.h>
#include <stdexcept>
#include <sys/wait.h>
#include <unistd.h>

namespace x11test {

namespace {

constexpr int kReadyTimeoutMs = 30000;

}  // namespace

HeldWindow::HeldWindow(const std::string &display, const std::vector<std::string> &options)
{
    int in[2], out[2];
    if (pipe2(in, O_CLOEXEC) != 0 || pipe2(out, O_CLOEXEC) != 0)
        throw std::runtime_error("pipe failed");
    std::vector<std::string> args = {HOLD_WINDOW_PATH};
    args.insert(args.end(), options.begin(), options.end());
    std::vector<char *> argv;
    for (auto &a : args)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    pid_ = fork();
    if (pid_ < 0)
        throw std::runtime_error("fork failed");
    if (pid_ == 0) {
        dup2(in[0], 0);
        dup2(out[1], 1);
        setenv("DISPLAY", display.c_str(), 1);
        execv(argv[0], argv.data());
        _exit(127);
    }
    close(in[0]);
    close(out[1]);
    input_ = in[1];
    output_ = out[0];

    auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(kReadyTimeoutMs);
    std::string line;
    while (line.find('\n') == std::string::npos) {
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        pollfd pfd = {output_, POLLIN, 0};
        if (left.count() <= 0 || poll(&pfd, 1, static_cast<int>(left.count())) == 0) {
            Finish();
            throw std::runtime_error("hold_window was not ready in time");
        }
        char c;
        ssize_t got = read(output_, &c, 1);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0) {
            Finish();
            throw std::runtime_error("hold_window ended before it was ready");
        }
        line.push_back(c);
    }
    if (line.rfind("ready ", 0) != 0) {
        Finish();
        throw std::runtime_error("hold_window said: " + line);
    }
    window_ = static_cast<std::uint32_t>(std::strtoul(line.c_str() + 6, nullptr, 10));
}

HeldWindow::~HeldWindow()
{
    if (pid_ > 0) {
        kill(pid_, SIGKILL);
        Finish();
    }
}

std::string HeldWindow::Close()
{
    if (input_ >= 0) {
        close(input_);
        input_ = -1;
    }
    return Finish();
}

std::string HeldWindow::WaitForExit()
{
    return Finish();
}

std::string HeldWindow::Finish()
{
    if (output_ >= 0) {
        char buffer[256];
        ssize_t got;
        while ((got = read(output_, buffer, sizeof buffer)) != 0) {
            if (got < 0 && errno != EINTR)
                break;
            if (got > 0)
                printed_.append(buffer, static_cast<std::size_t>(got));
        }
        close(output_);
        output_ = -1;
    }
    if (input_ >= 0) {
        close(input_);
        input_ = -1;
    }
    if (pid_ > 0) {
        while (waitpid(pid_, nullptr, 0) < 0 && errno == EINTR) {
        }
        pid_ = -1;
    }
    return printed_;
}

}  // namespace x11test
