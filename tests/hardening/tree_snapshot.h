// A record of a directory tree down to every byte, mode and time stamp,
// to show that a run left it exactly as it was.
#ifndef AFTERSETUP_TESTS_HARDENING_TREE_SNAPSHOT_H
#define AFTERSETUP_TESTS_HARDENING_TREE_SNAPSHOT_H

#include <map>
#include <string>

namespace hardening {

struct EntryRecord {
    unsigned mode = 0; // type and permission bits
    unsigned long links = 0;
    long long mtimeNs = 0;
    long long ctimeNs = 0; // moves with any mode change
    std::string content;   // file bytes or link target
    bool operator==(const EntryRecord &other) const;
};

// Relative path (without the root) to record; the root itself is "".
using TreeSnapshot = std::map<std::string, EntryRecord>;

TreeSnapshot TakeSnapshot(const std::string &root);

// What differs between two snapshots, one line per path; empty when equal.
// Deleting a hard link of a file changes that file's link count and change
// time and nothing else; sharedInodes leaves those two out.
std::string DescribeDifferences(const TreeSnapshot &before, const TreeSnapshot &after,
                                bool sharedInodes = false);

} // namespace hardening

#endif
