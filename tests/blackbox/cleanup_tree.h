// The directories a black-box run works on: a temporary root, in it the
// parent directory and in that the target directory the tool empties.
// Anything else a test needs lives beside the parent, in the root, so that
// the parent holds nothing but the target unless the test puts more there.
#ifndef AFTERSETUP_TESTS_BLACKBOX_CLEANUP_TREE_H
#define AFTERSETUP_TESTS_BLACKBOX_CLEANUP_TREE_H

#include <string>

#include "support/temp_dir.h"

namespace blackbox {

class CleanupTree {
    testsupport::TempDir temp_;  // first: the paths below are built from it

public:
    // parentName is the parent's path below the root; it may hold slashes.
    explicit CleanupTree(const std::string &parentName = "parent");

    std::string root;    // canonical: the tool reports canonical paths
    std::string parent;
    std::string target;

    std::string InRoot(const std::string &name) const { return root + "/" + name; }
    std::string InTarget(const std::string &name) const { return target + "/" + name; }
};

} // namespace blackbox

#endif
