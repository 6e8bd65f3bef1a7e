// A Win32 program of the suite's own running under Wine in the background,
// with its standard output read line by line.
#ifndef AFTERSETUP_TESTS_WINE_WINE_PROCESS_H
#define AFTERSETUP_TESTS_WINE_WINE_PROCESS_H

#include <chrono>
#include <string>
#include <sys/types.h>
#include <vector>

namespace winetest {

class WineProcess {
public:
    // Starts `wine program args...`; standard input and error lead to
    // /dev/null, standard output to a pipe unless discardOutput is set.
    WineProcess(const std::string &program, const std::vector<std::string> &args,
                bool discardOutput = false);
    // Kills the process if it still runs, and reaps it.
    ~WineProcess();
    WineProcess(const WineProcess &) = delete;
    WineProcess &operator=(const WineProcess &) = delete;

    // True once the program has written this line; false when it has not
    // within the time given or has ended without it.
    bool WaitForLine(const std::string &line, std::chrono::milliseconds timeout);
    // True if the program has written this line by now; does not block.
    bool HasWrittenLine(const std::string &line);
    // Waits for the end; the exit status, or -1 if it did not exit normally.
    int Wait();

private:
    bool ReadAvailable(int timeoutMs);
    bool Contains(const std::string &line) const;

    pid_t pid_ = -1;
    int output_ = -1;
    std::string text_;
};

}  // namespace winetest

#endif
