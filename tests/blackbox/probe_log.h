// Reading back what the probe program recorded about its starts.
#ifndef AFTERSETUP_TESTS_BLACKBOX_PROBE_LOG_H
#define AFTERSETUP_TESTS_BLACKBOX_PROBE_LOG_H

#include <string>
#include <vector>

namespace blackbox {

struct ProbeStart {
    std::string exe;
    std::vector<std::string> args;
    std::string cwd;
    std::vector<std::string> env;  // sorted
    std::vector<int> fds;          // sorted
    std::string ignoredSignals;    // as /proc/self/status shows them
    std::string blockedSignals;
    int sentinel = -1;  // 1: present, 0: gone, -1: not asked
    long long startNs = 0;
    long long endNs = 0;
};

// Every complete record in the log, in the order written; none when the
// log does not exist.
std::vector<ProbeStart> ReadProbeLog(const std::string &path);

} // namespace blackbox

#endif
