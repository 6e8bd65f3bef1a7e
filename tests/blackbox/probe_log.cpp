#include "blackbox/probe_log.h"

#include <algorithm>
#include <sstream>
#include <stdexcept>

#include "support/temp_dir.h"

namespace blackbox {

namespace {

std::string Unhex(const std::string &hex)
{
    if (hex.size() % 2 != 0)
        throw std::runtime_error("odd hex field in probe log");
    std::string bytes;
    for (std::size_t i = 0; i < hex.size(); i += 2)
        bytes += static_cast<char>(std::stoi(hex.substr(i, 2), nullptr, 16));
    return bytes;
}

void SetField(ProbeStart &start, const std::string &key, const std::string &value)
{
    if (key == "exe")
        start.exe = Unhex(value);
    else if (key == "arg")
        start.args.push_back(Unhex(value));
    else if (key == "cwd")
        start.cwd = Unhex(value);
    else if (key == "env")
        start.env.push_back(Unhex(value));
    else if (key == "fd")
        start.fds.push_back(std::stoi(value));
    else if (key == "sigign")
        start.ignoredSignals = value;
    else if (key == "sigblk")
        start.blockedSignals = value;
    else if (key == "sentinel")
        start.sentinel = std::stoi(value);
    else if (key == "start")
        start.startNs = std::stoll(value);
    else if (key == "end")
        start.endNs = std::stoll(value);
    else
        throw std::runtime_error("unknown probe log field " + key);
}

} // namespace

std::vector<ProbeStart> ReadProbeLog(const std::string &path)
{
    std::vector<ProbeStart> starts;
    std::istringstream log(testsupport::ReadFile(path));
    std::string line;
    ProbeStart current;
    while (std::getline(log, line)) {
        if (line == "record") {
            current = ProbeStart();
        } else if (line == "done") {
            std::sort(current.env.begin(), current.env.end());
            std::sort(current.fds.begin(), current.fds.end());
            starts.push_back(current);
        } else {
            auto eq = line.find('=');
            if (eq == std::string::npos)
                throw std::runtime_error("bad probe log line: " + line);
            SetField(current, line.substr(0, eq), line.substr(eq + 1));
        }
    }
    return starts;
}

} // namespace blackbox
