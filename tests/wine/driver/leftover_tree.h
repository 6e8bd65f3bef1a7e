// A setup's leftover directory for one test: <temp>/parent/target, both
// empty to begin with, and the lines the tool writes about them.
#ifndef AFTERSETUP_TESTS_WINE_LEFTOVER_TREE_H
#define AFTERSETUP_TESTS_WINE_LEFTOVER_TREE_H

#include <string>

#include "support/temp_dir.h"
#include "wine_env.h"

namespace winetest {

struct LeftoverTree {
    LeftoverTree()
    {
        testsupport::MakeDirectory(parent);
        testsupport::MakeDirectory(target);
    }

    std::string TargetArgument() const { return ToWindowsPath(target); }

    testsupport::TempDir base;
    std::string parent = base / "parent";
    std::string target = parent + "/target";
};

// The line the Windows build writes for a directory it cannot remove:
// the path in Windows form, the line ended in CR LF by the text-mode stream.
inline std::string DirectoryLine(const std::string &path)
{
    return "Directory " + ToWindowsPath(path) + " cannot be removed\r\n";
}

inline std::string EntryLine(const std::string &name)
{
    return "File " + name + " cannot be removed\r\n";
}

}  // namespace winetest

#endif
