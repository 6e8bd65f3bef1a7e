#include "launch/launch.h"

void RunFollowUpPrograms(int argc, char **argv)
{
    for (int i = 3; i < argc; ++i) {
        // CreateProcessA may write into the command line, so each start
        // gets a fresh, writable empty one.
        char commandLine[] = "";
        RunProcess(argv[i], commandLine, TRUE);
    }
}
