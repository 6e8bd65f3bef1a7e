#include "hardening/tree_snapshot.h"

#include <climits>
#include <sys/stat.h>
#include <unistd.h>

#include "support/temp_dir.h"

namespace hardening {

namespace {

void Record(const std::string &root, const std::string &relative, TreeSnapshot &out)
{
    std::string path = relative.empty() ? root : root + "/" + relative;
    struct stat st;
    if (lstat(path.c_str(), &st) != 0)
        return;
    EntryRecord &record = out[relative];
    record.mode = st.st_mode;
    record.links = st.st_nlink;
    record.mtimeNs = st.st_mtim.tv_sec * 1000000000LL + st.st_mtim.tv_nsec;
    record.ctimeNs = st.st_ctim.tv_sec * 1000000000LL + st.st_ctim.tv_nsec;
    if (S_ISREG(st.st_mode)) {
        record.content = testsupport::ReadFile(path);
    } else if (S_ISLNK(st.st_mode)) {
        char target[PATH_MAX];
        ssize_t n = readlink(path.c_str(), target, sizeof target);
        record.content.assign(target, n > 0 ? static_cast<size_t>(n) : 0);
    } else if (S_ISDIR(st.st_mode)) {
        for (const auto &name : testsupport::ListDirectory(path))
            Record(root, relative.empty() ? name : relative + "/" + name, out);
    }
}

bool SameButLinks(const EntryRecord &a, const EntryRecord &b)
{
    return a.mode == b.mode && a.mtimeNs == b.mtimeNs && a.content == b.content;
}

} // namespace

bool EntryRecord::operator==(const EntryRecord &other) const
{
    return mode == other.mode && links == other.links && mtimeNs == other.mtimeNs &&
           ctimeNs == other.ctimeNs && content == other.content;
}

TreeSnapshot TakeSnapshot(const std::string &root)
{
    TreeSnapshot snapshot;
    Record(root, "", snapshot);
    return snapshot;
}

std::string DescribeDifferences(const TreeSnapshot &before, const TreeSnapshot &after,
                                bool sharedInodes)
{
    std::string report;
    for (const auto &[path, record] : before) {
        auto it = after.find(path);
        if (it == after.end())
            report += "gone: " + path + "\n";
        else if (sharedInodes ? !SameButLinks(record, it->second) : !(it->second == record))
            report += "changed: " + path + " mode " + std::to_string(record.mode) + " -> " +
                      std::to_string(it->second.mode) + "\n";
    }
    for (const auto &[path, record] : after) {
        if (before.find(path) == before.end())
            report += "new: " + path + "\n";
    }
    return report;
}

} // namespace hardening
