// A listener on a free X display that plays a broken X server, for the
// faults a real server does not produce on demand.
#ifndef AFTERSETUP_TESTS_X11_FAKE_X_SERVER_H
#define AFTERSETUP_TESTS_X11_FAKE_X_SERVER_H

#include <atomic>
#include <string>
#include <thread>
#include <vector>

namespace x11test {

enum class FakeBehaviour {
    CloseAtOnce,            // accepts and closes before any word
    RefuseSetup,            // answers the connection setup with "failed"
    GarbageSetup,           // answers it with bytes that mean nothing
    AcceptThenStopReading,  // a good setup, then the server reads no more:
                            // the client's next write meets a broken pipe
};

class FakeXServer {
public:
    explicit FakeXServer(FakeBehaviour behaviour);
    ~FakeXServer();
    FakeXServer(const FakeXServer &) = delete;
    FakeXServer &operator=(const FakeXServer &) = delete;

    const std::string &display() const { return display_; }

private:
    void Serve();
    void Answer(int client);

    FakeBehaviour behaviour_;
    int listener_ = -1;
    std::string display_;
    std::atomic<bool> stop_{false};
    std::vector<int> clients_;
    std::thread thread_;
};

}  // namespace x11test

#endif
