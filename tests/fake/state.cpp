// The model's state, the call log and the fault injector.
#include <deque>
#include <map>

#include "fake/fake_platform.h"

namespace fake {
namespace {

struct Handle {
    std::string label;
    bool open = true;
};

struct State {
    World world;
    std::vector<std::string> log;       // everything
    std::vector<bool> logIsQuery;
    std::string pendingStderr;          // written since the last logged call
    std::map<std::string, int> occurrences;
    std::vector<std::string> fallible;
    int failAt = 0;
    std::string injected;
    std::map<std::string, int> searchesOpenIn;
    int openSearches = 0;
    std::deque<Handle> handles;  // a handle is the address of its record
    std::vector<ProcessStart> starts;
    // Storage behind the argument vector and command line handed out.
    std::vector<std::string> argumentStorage;
    std::vector<char *> argumentPointers;
    std::string commandLineStorage;
    bool runtimePrepared = false;
};

State &S()
{
    static State state;
    return state;
}

std::string Escape(const std::string &text)
{
    std::string out;
    for (char c : text) {
        if (c == '\n')
            out += "\\n";
        else
            out += c;
    }
    return out;
}

void FlushPendingStderr()
{
    State &s = S();
    if (s.pendingStderr.empty())
        return;
    s.log.push_back("stderr(\"" + Escape(s.pendingStderr) + "\")");
    s.logIsQuery.push_back(false);
    s.pendingStderr.clear();
}

}  // namespace

Entry File(const std::string &name, unsigned char attributes)
{
    Entry entry;
    entry.name = name;
    entry.attributes = attributes;
    return entry;
}

Entry Subdirectory(const std::string &name)
{
    return File(name, CFile::directory);
}

void Reset()
{
    State &s = S();
    s = State();
    detail::ResetExceptionCounts();
}

World &TheWorld()
{
    return S().world;
}

std::vector<std::string> Calls()
{
    FlushPendingStderr();
    std::vector<std::string> calls;
    for (std::size_t i = 0; i < S().log.size(); ++i) {
        if (!S().logIsQuery[i])
            calls.push_back(S().log[i]);
    }
    return calls;
}

std::vector<std::string> AllCalls()
{
    FlushPendingStderr();
    return S().log;
}

std::vector<std::string> FallibleCalls()
{
    return S().fallible;
}

void FailFallibleCall(int k)
{
    S().failAt = k;
}

std::string InjectedFailure()
{
    return S().injected;
}

int OpenSearches()
{
    return S().openSearches;
}

std::vector<std::string> OpenHandles()
{
    std::vector<std::string> open;
    for (const Handle &handle : S().handles) {
        if (handle.open)
            open.push_back(handle.label);
    }
    return open;
}

const std::vector<ProcessStart> &ProcessStarts()
{
    return S().starts;
}

bool DirectoryExists(const std::string &path)
{
    return path == "/" || S().world.directories.count(path) != 0;
}

std::vector<std::string> EntryNames(const std::string &directory)
{
    std::vector<std::string> names;
    if (const Directory *d = detail::FindDirectory(directory)) {
        for (const Entry &entry : d->entries)
            names.push_back(entry.name);
    }
    return names;
}

const Entry *FindEntry(const std::string &directory, const std::string &name)
{
    return detail::FindMutableEntry(directory, name);
}

int RunWinMain(const std::vector<std::string> &arguments)
{
    World &w = S().world;
    w.arguments = arguments;
    w.commandLine.clear();
    for (std::size_t i = 0; i < arguments.size(); ++i)
        w.commandLine += (i > 0 ? " " : "") + arguments[i];
    detail::PrepareRuntime();
    char empty[] = "";
    return WinMain(nullptr, nullptr, empty, 0);
}

namespace detail {

void Record(const std::string &call)
{
    FlushPendingStderr();
    S().log.push_back(call);
    S().logIsQuery.push_back(false);
}

void RecordQuery(const std::string &call)
{
    FlushPendingStderr();
    S().log.push_back(call);
    S().logIsQuery.push_back(true);
}

bool ShouldFail(const std::string &label)
{
    State &s = S();
    std::string numbered = label + "#" + std::to_string(++s.occurrences[label]);
    s.fallible.push_back(numbered);
    if (static_cast<int>(s.fallible.size()) != s.failAt)
        return false;
    s.injected = numbered;
    return true;
}

void AppendStderr(const char *data, std::size_t size)
{
    S().pendingStderr.append(data, size);
}

void SearchOpened(const std::string &path)
{
    ++S().openSearches;
    ++S().searchesOpenIn[path];
}

void SearchClosed(const std::string &path)
{
    --S().openSearches;
    --S().searchesOpenIn[path];
}

bool SearchOpenIn(const std::string &path)
{
    auto it = S().searchesOpenIn.find(path);
    return it != S().searchesOpenIn.end() && it->second > 0;
}

// Paths are absolute, '/'-separated; a relative one is taken against the
// current directory. "." and ".." components are folded.
std::string ResolvePath(const std::string &path)
{
    std::string full = !path.empty() && path[0] == '/' ? path
                                                         : S().world.currentDirectory + "/" + path;
    std::vector<std::string> parts;
    std::size_t start = 0;
    while (start <= full.size()) {
        std::size_t slash = full.find('/', start);
        if (slash == std::string::npos)
            slash = full.size();
        std::string part = full.substr(start, slash - start);
        if (part == "..") {
            if (!parts.empty())
                parts.pop_back();
        } else if (!part.empty() && part != ".") {
            parts.push_back(part);
        }
        start = slash + 1;
    }
    std::string resolved;
    for (const std::string &part : parts)
        resolved += "/" + part;
    return resolved.empty() ? "/" : resolved;
}

std::string ParentOf(const std::string &path)
{
    return ResolvePath(path + "/..");
}

Directory *FindDirectory(const std::string &path)
{
    auto it = S().world.directories.find(path);
    return it != S().world.directories.end() ? &it->second : nullptr;
}

Entry *FindMutableEntry(const std::string &directory, const std::string &name)
{
    Directory *d = FindDirectory(directory);
    if (d == nullptr)
        return nullptr;
    for (Entry &entry : d->entries) {
        if (entry.name == name)
            return &entry;
    }
    return nullptr;
}

HANDLE NewHandle(const std::string &label)
{
    S().handles.push_back(Handle{label, true});
    return &S().handles.back();
}

Handle *FindHandle(HANDLE handle)
{
    for (Handle &h : S().handles) {
        if (&h == handle)
            return &h;
    }
    return nullptr;
}

// "process:a.exe" for a handle the fake gave out, "closed:..." once it has
// been closed, "unknown" for anything else.
std::string HandleLabel(HANDLE handle)
{
    const Handle *h = FindHandle(handle);
    if (h == nullptr)
        return handle == nullptr ? "null" : "unknown";
    return h->open ? h->label : "closed:" + h->label;
}

bool CloseHandleLabel(HANDLE handle)
{
    Handle *h = FindHandle(handle);
    if (h == nullptr || !h->open)
        return false;
    h->open = false;
    return true;
}

void RecordProcessStart(const ProcessStart &start)
{
    S().starts.push_back(start);
}

// The runtime splits the command line once, before the entry point; the
// vector and line stay where they are for the rest of the run.
void PrepareRuntime()
{
    State &s = S();
    s.argumentStorage = s.world.arguments;
    s.argumentPointers.clear();
    for (std::string &argument : s.argumentStorage)
        s.argumentPointers.push_back(&argument[0]);
    s.argumentPointers.push_back(nullptr);
    s.commandLineStorage = s.world.commandLine;
    s.runtimePrepared = true;
}

char **ArgumentVector()
{
    if (!S().runtimePrepared)
        PrepareRuntime();
    return S().argumentPointers.data();
}

int ArgumentCount()
{
    if (!S().runtimePrepared)
        PrepareRuntime();
    return static_cast<int>(S().argumentStorage.size());
}

char *CommandLine()
{
    if (!S().runtimePrepared)
        PrepareRuntime();
    return &S().commandLineStorage[0];
}

}  // namespace detail
}  // namespace fake
