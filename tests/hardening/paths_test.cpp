// Paths the original platform never had: longer than its 260 characters,
// longer than the system's own limit, or none at all because a follow-up
// program removed the directory the tool stands in.
#include <cerrno>
#include <climits>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include "hardening/hostile_run.h"
#include "hardening/layout.h"

namespace hardening {
namespace {

using testsupport::Exists;

// Removes everything below the directory open as dir, by descriptors, so
// that depth beyond PATH_MAX is no obstacle; closes dir.
void RemoveContents(int dir)
{
    DIR *listing = fdopendir(dir);
    if (listing == nullptr) {
        close(dir);
        return;
    }
    while (const dirent *entry = readdir(listing)) {
        if (std::strcmp(entry->d_name, ".") == 0 || std::strcmp(entry->d_name, "..") == 0)
            continue;
        int child = openat(dirfd(listing), entry->d_name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW);
        if (child != -1) {
            RemoveContents(child);
            unlinkat(dirfd(listing), entry->d_name, AT_REMOVEDIR);
        } else {
            unlinkat(dirfd(listing), entry->d_name, 0);
        }
    }
    closedir(listing);
}

// A chain of directories under root whose deepest one has a path of at
// least length characters; built with mkdirat/openat, as mkdir(2) refuses
// such paths. Returns that path.
std::string BuildDeepChain(const std::string &root, std::size_t length, std::size_t component)
{
    std::string path = root;
    int dir = open(root.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
    for (int i = 0; path.size() < length; ++i) {
        std::string name = std::to_string(i) + std::string(component, 'c');
        EXPECT_EQ(mkdirat(dir, name.c_str(), 0755), 0) << std::strerror(errno);
        int next = openat(dir, name.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
        close(dir);
        dir = next;
        path += "/" + name;
    }
    close(dir);
    return path;
}

// Opens the directory that a (possibly too long) path names.
int OpenByComponents(const std::string &path)
{
    int dir = open("/", O_PATH | O_DIRECTORY | O_CLOEXEC);
    std::size_t start = 1;
    while (dir != -1 && start < path.size()) {
        std::size_t end = std::min(path.find('/', start), path.size());
        int next = openat(dir, path.substr(start, end - start).c_str(),
                          O_PATH | O_DIRECTORY | O_CLOEXEC);
        close(dir);
        dir = next;
        start = end + 1;
    }
    return dir;
}

// Creates an empty directory whose full path is the first length
// characters of path, where that cut ends inside a component: a tool that
// cut the path there would meet it and could remove it.
std::string PlaceDecoy(const std::string &path, std::size_t length)
{
    std::string cut = path.substr(0, length);
    std::size_t slash = cut.rfind('/');
    std::string stub = cut.substr(slash + 1);
    if (stub.empty() || path[length] == '/')
        return std::string();
    int parent = OpenByComponents(cut.substr(0, slash));
    EXPECT_NE(parent, -1);
    EXPECT_EQ(mkdirat(parent, stub.c_str(), 0755), 0);
    close(parent);
    return cut;
}

bool ExistsByComponents(const std::string &path)
{
    int dir = OpenByComponents(path);
    if (dir == -1)
        return false;
    close(dir);
    return true;
}

class LongPath : public testing::Test {
protected:
    ~LongPath() override { RemoveContents(open(root_.path().c_str(), O_RDONLY | O_DIRECTORY)); }
    testsupport::TempDir root_;
};

// Past 260 characters: emptied and removed like any other, and a line for
// a directory that stays carries its whole path.
TEST_F(LongPath, LongerThan260CharactersIsHandledLikeAnyOther)
{
    std::string parent = BuildDeepChain(root_.path(), 300, 40);
    std::string target = parent + "/target";
    ASSERT_GT(target.size(), 260u);
    testsupport::MakeDirectory(target);
    testsupport::WriteFile(target + "/read-only", "bytes", 0444);
    testsupport::MakeDirectory(target + "/stays");

    HostileResult run = RunTool({target, "no such setup window"});

    EXPECT_EQ(run.exitStatus, 0);
    EXPECT_EQ(run.stderrText, "File stays cannot be removed\n" + DirectoryLine(target) +
                                  DirectoryLine(parent));
    EXPECT_EQ(testsupport::ListDirectory(target), std::vector<std::string>{"stays"});

    ASSERT_EQ(rmdir((target + "/stays").c_str()), 0);
    run = RunTool({target, "no such setup window"});
    EXPECT_EQ(run.exitStatus, 0);
    EXPECT_EQ(run.stderrText, "");
    EXPECT_FALSE(Exists(parent));
    EXPECT_TRUE(Exists(parent.substr(0, parent.rfind('/'))));
}

// Past PATH_MAX: the target is entered and removed by its exact path, and
// no directory at a cut of that path (at 260 or at PATH_MAX characters) is
// ever touched.
TEST_F(LongPath, BeyondThePathLimitIsRemovedByItsExactPathOnly)
{
    for (bool fromInside : {false, true}) {
        SCOPED_TRACE(fromInside ? "started inside, target \".\"" : "target by absolute path");
        std::string parent = BuildDeepChain(root_.path(), PATH_MAX + 200, 200);
        std::string target = parent + "/target";
        int parentDir = OpenByComponents(parent);
        ASSERT_NE(parentDir, -1);
        ASSERT_EQ(mkdirat(parentDir, "target", 0755), 0);
        int targetDir = openat(parentDir, "target", O_PATH | O_DIRECTORY | O_CLOEXEC);
        ASSERT_EQ(mkfifoat(targetDir, "fifo", 0444), 0);
        close(openat(targetDir, "read-only", O_WRONLY | O_CREAT | O_CLOEXEC, 0444));
        std::vector<std::string> decoys;
        for (std::size_t cut : {std::size_t{259}, std::size_t{260}, std::size_t{PATH_MAX - 1},
                                std::size_t{PATH_MAX}}) {
            std::string decoy = PlaceDecoy(target, cut);
            if (!decoy.empty())
                decoys.push_back(decoy);
        }
        ASSERT_GE(decoys.size(), 2u);

        HostileSetup setup;
        setup.startDirectory = fromInside ? targetDir : -1;
        setup.timeout = std::chrono::seconds(20);
        HostileResult run = RunTool({fromInside ? "." : target, "no such setup window"}, setup);
        close(targetDir);
        close(parentDir);

        EXPECT_FALSE(run.timedOut);
        EXPECT_EQ(run.exitStatus, 0);
        EXPECT_EQ(run.stderrText, "");
        EXPECT_FALSE(ExistsByComponents(target));
        EXPECT_FALSE(ExistsByComponents(parent));
        EXPECT_TRUE(ExistsByComponents(parent.substr(0, parent.rfind('/'))));
        for (const auto &decoy : decoys)
            EXPECT_TRUE(ExistsByComponents(decoy)) << decoy.size();
        RemoveContents(open(root_.path().c_str(), O_RDONLY | O_DIRECTORY));
    }
}

// A follow-up program removes the directory the tool stands in: its path
// is gone, so nothing is removed by it; the parent is still offered.
struct RemovedCase {
    const char *name;
    const char *script; // run in the target; $T is its path
    bool parentKept;
    // The one directory named in the report, if any.
    std::string (*reported)(const Layout &);
};

std::string NoLine(const Layout &)
{
    return "";
}

std::string ParentLine(const Layout &l)
{
    return DirectoryLine(l.parent);
}

// The tool stays in the directory it entered, wherever that went; its new
// parent is offered in place of the old one, and here is not empty.
std::string NewParentLine(const Layout &l)
{
    return DirectoryLine(l.outside);
}

void PrintTo(const RemovedCase &c, std::ostream *os)
{
    *os << c.name;
}

class TargetRemovedByFollowUp : public testing::TestWithParam<RemovedCase> {};

TEST_P(TargetRemovedByFollowUp, RemovesNothingByAWrongPath)
{
    Layout layout;
    testsupport::WriteFile(layout.InTarget("file"), "bytes", 0444);
    std::string script = layout.Outside("remove-target");
    WriteScript(script, "T='" + layout.target + "'\n" + GetParam().script);

    HostileResult run = RunTool(ArgsFor(layout, {script}));

    EXPECT_EQ(run.exitStatus, 0);
    EXPECT_EQ(Exists(layout.parent), GetParam().parentKept);
    EXPECT_EQ(run.stderrText, GetParam().reported(layout));
    EXPECT_TRUE(Exists(script));
    EXPECT_FALSE(Exists(layout.Outside("moved")));
}

INSTANTIATE_TEST_SUITE_P(
    Hardening, TargetRemovedByFollowUp,
    testing::Values(
        RemovedCase{"Removed", "rm -rf \"$T\"\n", false, NoLine},
        // A new directory of the same name is not the one the tool entered.
        RemovedCase{"ReplacedByAnEmptyOne", "rm -rf \"$T\" && mkdir \"$T\"\n", true, ParentLine},
        RemovedCase{"MovedAway", "mv \"$T\" \"$T/../../outside/moved\"\n", true, NewParentLine}),
    [](const testing::TestParamInfo<RemovedCase> &info) { return std::string(info.param.name); });

} // namespace
} // namespace hardening
