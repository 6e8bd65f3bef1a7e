#include "blackbox/file_state.h"

#include <stdexcept>
#include <sys/stat.h>
#include <unistd.h>

#include "support/temp_dir.h"

namespace blackbox {

namespace {

long long Nanoseconds(const timespec &t)
{
    return static_cast<long long>(t.tv_sec) * 1000000000LL + t.tv_nsec;
}

void AddTree(const std::string &path, const std::string &relative,
             std::map<std::string, FileState> &into)
{
    FileState state = StateOf(path);
    into[relative] = state;
    if (S_ISDIR(state.mode)) {
        for (const auto &name : testsupport::ListDirectory(path)) {
            std::string below = relative;
            if (!below.empty())
                below += '/';
            below += name;
            std::string full = path;
            full += '/';
            full += name;
            AddTree(full, below, into);
        }
    }
}

} // namespace

bool operator==(const FileState &a, const FileState &b)
{
    return a.mode == b.mode && a.size == b.size && a.mtimeNs == b.mtimeNs &&
           a.ctimeNs == b.ctimeNs && a.content == b.content;
}

std::ostream &operator<<(std::ostream &out, const FileState &state)
{
    return out << "{mode " << std::oct << state.mode << std::dec << ", size " << state.size
               << ", mtime " << state.mtimeNs << ", ctime " << state.ctimeNs << ", "
               << state.content.size() << " content bytes}";
}

FileState StateOf(const std::string &path)
{
    struct stat st;
    if (lstat(path.c_str(), &st) != 0)
        throw std::runtime_error("cannot stat " + path);
    FileState state;
    state.mode = st.st_mode;
    state.size = st.st_size;
    state.mtimeNs = Nanoseconds(st.st_mtim);
    state.ctimeNs = Nanoseconds(st.st_ctim);
    if (S_ISREG(st.st_mode)) {
        state.content = testsupport::ReadFile(path);
    } else if (S_ISLNK(st.st_mode)) {
        std::string target(static_cast<size_t>(st.st_size) + 1, '\0');
        ssize_t length = readlink(path.c_str(), &target[0], target.size());
        target.resize(length > 0 ? static_cast<size_t>(length) : 0);
        state.content = target;
    }
    return state;
}

std::map<std::string, FileState> SnapshotTree(const std::string &path)
{
    std::map<std::string, FileState> tree;
    AddTree(path, "", tree);
    return tree;
}

} // namespace blackbox
