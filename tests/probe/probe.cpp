// A stand-in follow-up program for the black-box tests. It appends one
// record of how it was started to the file named by PROBE_LOG: its own
// executable, argument vector, current directory, environment, open
// descriptors, ignored and blocked signals, start and end times, and
// whether the file named by PROBE_SENTINEL still exists in its current
// directory. Strings are written in hex so that any byte survives.
//
// Behaviour, also from the environment:
//   PROBE_SLEEP_MS     sleep this long before the record is finished
//   PROBE_EXIT_STATUS  end with this status
//   PROBE_KILL_SIGNAL  end by this signal
//   PROBE_ACT_ONLY     apply the two above only in the copy of this name
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <dirent.h>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

long long MonotonicNs()
{
    timespec now = {};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<long long>(now.tv_sec) * 1000000000LL + now.tv_nsec;
}

std::string Hex(const std::string &bytes)
{
    static const char digits[] = "0123456789abcdef";
    std::string out;
    for (unsigned char c : bytes) {
        out += digits[c >> 4];
        out += digits[c & 0xF];
    }
    return out;
}

// Taken first, before this program opens anything of its own; the
// descriptor of the listing itself is left out.
std::vector<int> OpenDescriptors()
{
    std::vector<int> fds;
    DIR *dir = opendir("/proc/self/fd");
    if (dir == nullptr)
        return {-1};
    int own = dirfd(dir);
    while (const dirent *entry = readdir(dir)) {
        if (entry->d_name[0] == '.')
            continue;
        int fd = static_cast<int>(std::strtol(entry->d_name, nullptr, 10));
        if (fd != own)
            fds.push_back(fd);
    }
    closedir(dir);
    return fds;
}

std::string OwnExecutable()
{
    std::string path(4096, '\0');
    ssize_t length = readlink("/proc/self/exe", &path[0], path.size());
    path.resize(length > 0 ? static_cast<size_t>(length) : 0);
    return path;
}

std::string CurrentDirectory()
{
    char *path = getcwd(nullptr, 0);
    std::string result = path != nullptr ? path : "";
    std::free(path);
    return result;
}

// A field of /proc/self/status such as "SigIgn".
std::string StatusField(const std::string &name)
{
    FILE *status = std::fopen("/proc/self/status", "re");
    if (status == nullptr)
        return "?";
    std::string result = "?";
    char line[512];
    std::string prefix = name + ":";
    while (std::fgets(line, sizeof line, status) != nullptr) {
        if (std::strncmp(line, prefix.c_str(), prefix.size()) == 0) {
            result = line + prefix.size();
            result.erase(0, result.find_first_not_of(" \t"));
            result.erase(result.find_last_not_of('\n') + 1);
            break;
        }
    }
    static_cast<void>(std::fclose(status));
    return result;
}

long EnvNumber(const char *name)
{
    const char *value = std::getenv(name);
    return value != nullptr ? std::strtol(value, nullptr, 10) : 0;
}

bool ActsInThisCopy(const std::string &exe)
{
    const char *only = std::getenv("PROBE_ACT_ONLY");
    if (only == nullptr)
        return true;
    return exe.substr(exe.rfind('/') + 1) == only;
}

void SleepMs(long ms)
{
    timespec left = {ms / 1000, (ms % 1000) * 1000000L};
    while (nanosleep(&left, &left) == -1 && errno == EINTR) {
    }
}

bool AppendAll(const char *path, const std::string &text)
{
    int fd = open(path, O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0644);
    if (fd < 0)
        return false;
    bool ok = write(fd, text.data(), text.size()) == static_cast<ssize_t>(text.size());
    close(fd);
    return ok;
}

} // namespace

int main(int argc, char **argv)
{
    long long start = MonotonicNs();
    std::vector<int> fds = OpenDescriptors();
    const char *log = std::getenv("PROBE_LOG");
    if (log == nullptr)
        return 2;

    std::string exe = OwnExecutable();
    std::string record = "record\n";
    record += "exe=" + Hex(exe) + "\n";
    for (int i = 0; i < argc; ++i)
        record += "arg=" + Hex(argv[i]) + "\n";
    record += "cwd=" + Hex(CurrentDirectory()) + "\n";
    for (char **e = environ; *e != nullptr; ++e)
        record += "env=" + Hex(*e) + "\n";
    for (int fd : fds)
        record += "fd=" + std::to_string(fd) + "\n";
    record += "sigign=" + StatusField("SigIgn") + "\n";
    record += "sigblk=" + StatusField("SigBlk") + "\n";
    if (const char *sentinel = std::getenv("PROBE_SENTINEL")) {
        struct stat st;
        record += std::string("sentinel=") + (lstat(sentinel, &st) == 0 ? "1" : "0") + "\n";
    }
    record += "start=" + std::to_string(start) + "\n";

    SleepMs(EnvNumber("PROBE_SLEEP_MS"));
    record += "end=" + std::to_string(MonotonicNs()) + "\n";
    record += "done\n";
    if (!AppendAll(log, record))
        return 3;

    if (!ActsInThisCopy(exe))
        return 0;
    if (int sig = static_cast<int>(EnvNumber("PROBE_KILL_SIGNAL"))) {
        static_cast<void>(std::signal(sig, SIG_DFL));
        static_cast<void>(std::raise(sig));
    }
    return static_cast<int>(EnvNumber("PROBE_EXIT_STATUS"));
}
