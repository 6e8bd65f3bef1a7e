// The tree most hardening cases start from: a leftover directory (target)
// inside an otherwise empty parent, and beside that parent an outside area
// that the run must leave exactly as it was.
#ifndef AFTERSETUP_TESTS_HARDENING_LAYOUT_H
#define AFTERSETUP_TESTS_HARDENING_LAYOUT_H

#include <string>
#include <vector>

#include "support/temp_dir.h"

namespace hardening {

struct Layout {
    testsupport::TempDir root;
    std::string parent = root / "parent";
    std::string target = parent + "/target";
    std::string outside = root / "outside";

    Layout()
    {
        testsupport::MakeDirectory(parent);
        testsupport::MakeDirectory(target);
        testsupport::MakeDirectory(outside);
    }
    std::string InTarget(const std::string &name) const { return target + "/" + name; }
    std::string Outside(const std::string &name) const { return outside + "/" + name; }
};

inline std::string EntryLine(const std::string &name)
{
    return "File " + name + " cannot be removed\n";
}

inline std::string DirectoryLine(const std::string &path)
{
    return "Directory " + path + " cannot be removed\n";
}

// True when report is the report of a run that left exactly these entries
// in the target: their lines in any order (the walk's order is the file
// system's), then the lines for the target and the parent.
inline bool IsReportFor(const std::string &report, const Layout &layout,
                        std::vector<std::string> left)
{
    std::size_t at = 0;
    while (!left.empty()) {
        bool found = false;
        for (auto it = left.begin(); it != left.end(); ++it) {
            std::string line = EntryLine(*it);
            if (report.compare(at, line.size(), line) == 0) {
                at += line.size();
                left.erase(it);
                found = true;
                break;
            }
        }
        if (!found)
            return false;
        if (left.empty())
            return report.substr(at) == DirectoryLine(layout.target) + DirectoryLine(layout.parent);
    }
    return report.empty();
}

// Arguments for a run on the layout's target with no setup window to wait
// for and the given follow-up programs.
inline std::vector<std::string> ArgsFor(const Layout &layout,
                                        const std::vector<std::string> &followUps = {})
{
    std::vector<std::string> args = {layout.target, "no such setup window"};
    args.insert(args.end(), followUps.begin(), followUps.end());
    return args;
}

} // namespace hardening

#endif
