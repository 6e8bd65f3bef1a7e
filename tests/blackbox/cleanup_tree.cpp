#include "blackbox/cleanup_tree.h"

#include "blackbox/tool_run.h"

namespace blackbox {

CleanupTree::CleanupTree(const std::string &parentName)
    : root(Canonical(temp_.path())), parent(root + "/" + parentName), target(parent + "/target")
{
    std::string path = root;
    std::string rest = parentName + "/target";
    while (!rest.empty()) {
        auto slash = rest.find('/');
        path += "/" + rest.substr(0, slash);
        rest = slash == std::string::npos ? "" : rest.substr(slash + 1);
        testsupport::MakeDirectory(path);
    }
}

} // namespace blackbox
