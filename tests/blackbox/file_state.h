// What a tree looks like on disk, for proving that the tool left
// something exactly as it was.
#ifndef AFTERSETUP_TESTS_BLACKBOX_FILE_STATE_H
#define AFTERSETUP_TESTS_BLACKBOX_FILE_STATE_H

#include <map>
#include <ostream>
#include <string>

namespace blackbox {

struct FileState {
    unsigned mode = 0;  // type and permission bits
    long long size = 0;
    long long mtimeNs = 0;
    long long ctimeNs = 0;  // any chmod, chown or link change moves it
    std::string content;    // files: their bytes; links: where they point
};

bool operator==(const FileState &a, const FileState &b);
std::ostream &operator<<(std::ostream &out, const FileState &state);

// The state of the entry itself (a link is not followed).
FileState StateOf(const std::string &path);

// path itself under "" and everything below it by relative name.
std::map<std::string, FileState> SnapshotTree(const std::string &path);

} // namespace blackbox

#endif
