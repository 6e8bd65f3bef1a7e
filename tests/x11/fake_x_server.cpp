#include "fake_x_server.h"

#include <cstdint>
#include <cstring>
#include <poll.h>
#include <stdexcept>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace x11test {

namespace {

// libxcb on Linux tries the abstract socket of a display first.
int ListenOnFreeDisplay(std::string &display)
{
    for (int number = 3000; number < 4000; ++number) {
        int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
        if (fd < 0)
            break;
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        std::string name = "/tmp/.X11-unix/X" + std::to_string(number);
        std::memcpy(address.sun_path + 1, name.data(), name.size());
        auto length = static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + 1 + name.size());
        if (bind(fd, reinterpret_cast<sockaddr *>(&address), length) == 0 && listen(fd, 8) == 0) {
            display = ":" + std::to_string(number);
            return fd;
        }
        close(fd);
    }
    throw std::runtime_error("no free display for the fake X server");
}

bool ReadExactly(int fd, void *buffer, std::size_t size)
{
    auto *bytes = static_cast<char *>(buffer);
    while (size > 0) {
        pollfd pfd = {fd, POLLIN, 0};
        if (poll(&pfd, 1, 5000) <= 0)
            return false;
        ssize_t got = read(fd, bytes, size);
        if (got <= 0)
            return false;
        bytes += got;
        size -= static_cast<std::size_t>(got);
    }
    return true;
}

// The connection request: byte order, protocol version, then the lengths
// of the authorisation name and data, each padded to four bytes.
bool ReadSetupRequest(int fd)
{
    unsigned char head[12];
    if (!ReadExactly(fd, head, sizeof head) || head[0] != 'l')
        return false;
    std::size_t nameLength = head[6] | (head[7] << 8);
    std::size_t dataLength = head[8] | (head[9] << 8);
    std::size_t rest = (nameLength + 3) / 4 * 4 + (dataLength + 3) / 4 * 4;
    std::vector<char> auth(rest);
    return rest == 0 || ReadExactly(fd, auth.data(), rest);
}

void Put16(std::vector<unsigned char> &out, unsigned value)
{
    out.push_back(static_cast<unsigned char>(value & 0xff));
    out.push_back(static_cast<unsigned char>(value >> 8));
}

void Put32(std::vector<unsigned char> &out, std::uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        out.push_back(static_cast<unsigned char>(value >> (8 * i)));
}

// A well-formed setup reply with no screens, little-endian.
std::vector<unsigned char> SetupSuccess()
{
    std::vector<unsigned char> out = {1, 0};
    Put16(out, 11);
    Put16(out, 0);
    Put16(out, 8);  // 32 bytes follow
    Put32(out, 0);
    Put32(out, 0x00200000);
    Put32(out, 0x001fffff);
    Put32(out, 0);
    Put16(out, 0);       // vendor length
    Put16(out, 0xffff);  // maximum request length
    out.insert(out.end(), {0, 0, 0, 0, 32, 32, 8, 255, 0, 0, 0, 0});
    return out;
}

std::vector<unsigned char> SetupFailed()
{
    std::vector<unsigned char> out = {0, 4};
    Put16(out, 11);
    Put16(out, 0);
    Put16(out, 1);
    out.insert(out.end(), {'n', 'o', 'p', 'e'});
    return out;
}

void Send(int fd, const std::vector<unsigned char> &bytes)
{
    if (send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL) < 0)
        return;
}

}  // namespace

FakeXServer::FakeXServer(FakeBehaviour behaviour) : behaviour_(behaviour)
{
    listener_ = ListenOnFreeDisplay(display_);
    thread_ = std::thread([this] { Serve(); });
}

FakeXServer::~FakeXServer()
{
    stop_ = true;
    thread_.join();
    for (int fd : clients_)
        close(fd);
    close(listener_);
}

void FakeXServer::Serve()
{
    while (!stop_) {
        pollfd pfd = {listener_, POLLIN, 0};
        if (poll(&pfd, 1, 50) <= 0)
            continue;
        int client = accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
        if (client >= 0)
            Answer(client);
    }
}

void FakeXServer::Answer(int client)
{
    if (behaviour_ == FakeBehaviour::CloseAtOnce || !ReadSetupRequest(client)) {
        close(client);
        return;
    }
    switch (behaviour_) {
    case FakeBehaviour::RefuseSetup:
        Send(client, SetupFailed());
        break;
    case FakeBehaviour::GarbageSetup:
        Send(client, {7, 0xff, 0xff, 0xff, 0xff, 0xff, 0xff, 0xff, 0xff, 0xff, 0xff, 0xff});
        break;
    case FakeBehaviour::AcceptThenStopReading:
        // Shut for reading before the setup goes out: every write the
        // client makes once it has the setup fails with EPIPE.
        shutdown(client, SHUT_RD);
        Send(client, SetupSuccess());
        clients_.push_back(client);
        return;
    case FakeBehaviour::CloseAtOnce:
        break;
    }
    close(client);
}

}  // namespace x11test
