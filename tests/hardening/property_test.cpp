// Random leftover trees beside an outside area. Whatever the mix of modes,
// hidden names, FIFOs and links into the outside area, a run must leave
// the outside area exactly as it was, the target holding nothing but its
// subdirectories (insides untouched), and a report naming exactly those.
// AFTERSETUP_PROPERTY_SEED and AFTERSETUP_PROPERTY_COUNT pick other trees.
#include <algorithm>
#include <cstdlib>
#include <map>
#include <gtest/gtest.h>
#include <random>
#include <set>
#include <sys/stat.h>
#include <unistd.h>

#include "hardening/hostile_run.h"
#include "hardening/layout.h"
#include "hardening/tree_snapshot.h"

namespace hardening {
namespace {

unsigned long EnvironmentNumber(const char *name, unsigned long fallback)
{
    const char *value = std::getenv(name);
    return value != nullptr && *value != '\0' ? std::strtoul(value, nullptr, 0) : fallback;
}

class TreeGenerator {
public:
    TreeGenerator(Layout &layout, std::mt19937 &random) : l_(layout), random_(random) {}

    void FillOutside()
    {
        for (int i = 0; i < 4; ++i)
            testsupport::WriteFile(l_.Outside("file" + std::to_string(i)), Bytes(), Mode());
        testsupport::MakeDirectory(l_.Outside("dir"));
        testsupport::WriteFile(l_.Outside("dir/inner"), Bytes(), 0444);
        chmod(l_.Outside("dir").c_str(), Pick(2) ? 0555 : 0755);
        mkfifo(l_.Outside("fifo").c_str(), 0444);
    }

    // Returns the subdirectories made, which are to stay.
    std::vector<std::string> FillTarget()
    {
        std::vector<std::string> subdirectories;
        int entries = 3 + static_cast<int>(Pick(25));
        for (int i = 0; i < entries; ++i) {
            std::string name = (Pick(4) == 0 ? "." : "") + std::string("e") + std::to_string(i);
            std::string path = l_.InTarget(name);
            switch (Pick(12)) {
            case 0:
                mkfifo(path.c_str(), Mode());
                break;
            case 1:
            case 2:
                EXPECT_EQ(symlink(OutsideTarget().c_str(), path.c_str()), 0);
                break;
            case 3: {
                std::string shared = l_.Outside("file" + std::to_string(Pick(4)));
                EXPECT_EQ(link(shared.c_str(), path.c_str()), 0);
                hardLinked_.insert(shared.substr(l_.outside.size() + 1));
                break;
            }
            case 4:
                if (Pick(6) == 0) { // rare: each costs the pause
                    testsupport::MakeDirectory(path, Pick(2) ? 0555 : 0755);
                    testsupport::WriteFile(path + "/kept", Bytes(), 0444);
                    subdirectories.push_back(name);
                    break;
                }
                [[fallthrough]];
            default:
                testsupport::WriteFile(path, Bytes(), Mode());
                break;
            }
        }
        return subdirectories;
    }

    const std::set<std::string> &HardLinked() const { return hardLinked_; }

private:
    unsigned Pick(unsigned n) { return std::uniform_int_distribution<unsigned>(0, n - 1)(random_); }
    unsigned Mode()
    {
        static const unsigned modes[] = {0000, 0400, 0444, 0555, 0600, 0644, 0755, 0777, 04755, 01444};
        return modes[Pick(sizeof modes / sizeof modes[0])];
    }
    std::string Bytes() { return std::string(Pick(64), static_cast<char>('a' + Pick(26))); }
    std::string OutsideTarget()
    {
        static const char *targets[] = {"file0", "file1", "dir", "dir/inner", "fifo", "missing"};
        std::string name = targets[Pick(6)];
        return Pick(2) ? l_.Outside(name) : "../../outside/" + name;
    }

    Layout &l_;
    std::mt19937 &random_;
    std::set<std::string> hardLinked_;
};

TEST(RandomTrees, LeaveTheOutsideAloneAndTheTargetHoldingOnlyItsSubdirectories)
{
    const unsigned long seed = EnvironmentNumber("AFTERSETUP_PROPERTY_SEED", 20240611);
    const unsigned long count = EnvironmentNumber("AFTERSETUP_PROPERTY_COUNT", 20);
    std::mt19937 random(static_cast<std::mt19937::result_type>(seed));
    for (unsigned long tree = 0; tree < count; ++tree) {
        SCOPED_TRACE("AFTERSETUP_PROPERTY_SEED=" + std::to_string(seed) + ", tree " +
                     std::to_string(tree));
        Layout layout;
        TreeGenerator generator(layout, random);
        generator.FillOutside();
        std::vector<std::string> subdirectories = generator.FillTarget();
        TreeSnapshot outside = TakeSnapshot(layout.outside);
        std::map<std::string, TreeSnapshot> insides;
        std::map<std::string, unsigned> modes;
        for (const auto &name : subdirectories) {
            insides[name] = TakeSnapshot(layout.InTarget(name));
            insides[name].erase("");
            struct stat st;
            lstat(layout.InTarget(name).c_str(), &st);
            modes[name] = st.st_mode & 07777;
        }

        HostileSetup setup;
        setup.timeout = std::chrono::seconds(40);
        HostileResult run = RunTool(ArgsFor(layout), setup);

        ASSERT_FALSE(run.timedOut);
        EXPECT_EQ(run.exitStatus, 0);
        TreeSnapshot outsideAfter = TakeSnapshot(layout.outside);
        for (const auto &[path, record] : outside) {
            auto it = outsideAfter.find(path);
            ASSERT_NE(it, outsideAfter.end()) << path;
            const EntryRecord &now = it->second;
            EXPECT_EQ(now.mode, record.mode) << path;
            EXPECT_EQ(now.mtimeNs, record.mtimeNs) << path;
            EXPECT_EQ(now.content, record.content) << path;
            // Deleting a hard link moves the change time; nothing else may.
            if (generator.HardLinked().count(path) == 0) {
                EXPECT_EQ(now.ctimeNs, record.ctimeNs) << path;
            }
        }
        EXPECT_EQ(outsideAfter.size(), outside.size());

        std::sort(subdirectories.begin(), subdirectories.end());
        if (subdirectories.empty()) {
            EXPECT_FALSE(testsupport::Exists(layout.parent));
        } else {
            EXPECT_EQ(testsupport::ListDirectory(layout.target), subdirectories);
        }
        EXPECT_TRUE(IsReportFor(run.stderrText, layout, subdirectories)) << run.stderrText;
        for (const auto &name : subdirectories) {
            TreeSnapshot now = TakeSnapshot(layout.InTarget(name));
            now.erase("");
            EXPECT_EQ(DescribeDifferences(insides[name], now), "") << name;
            // A read-only subdirectory loses its read-only bit, nothing more.
            struct stat st;
            lstat(layout.InTarget(name).c_str(), &st);
            unsigned expected = (modes[name] & 0222) == 0 ? (modes[name] | 0200) : modes[name];
            EXPECT_EQ(st.st_mode & 07777, expected) << name;
        }
    }
}

} // namespace
} // namespace hardening
