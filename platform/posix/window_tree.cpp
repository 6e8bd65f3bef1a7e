// Finds client windows the way ICCCM tools do: the root's children, the
// windows a window manager lists in _NET_CLIENT_LIST (its list leaves out
// unmapped windows, so the root's children are always looked at too), and
// below a frame the windows that carry WM_STATE. Each level of the tree is
// one batch: every request is sent first, then the replies are collected,
// so thousands of windows cost one round trip per level. A request that
// fails (the window vanished) only means that window is not the one.
#include <algorithm>
#include <cstdlib>
#include <memory>
#include <vector>

#include "platform/posix/window_lookup.h"

namespace windowlookup {

namespace {

struct FreeReply {
    void operator()(void *reply) const { std::free(reply); }
};
template <typename Reply>
using ReplyPtr = std::unique_ptr<Reply, FreeReply>;

struct Atoms {
    xcb_atom_t netWmName = XCB_ATOM_NONE;
    xcb_atom_t netClientList = XCB_ATOM_NONE;
    xcb_atom_t wmState = XCB_ATOM_NONE;
};

enum class Role {
    TopLevel,    // a child of a root: a client itself, or a frame
    Listed,      // named by the window manager as a client
    BelowFrame,  // inside a top-level window: a client only with WM_STATE
};

struct Candidate {
    xcb_window_t window;
    Role role;
};

struct Pending {
    xcb_get_property_cookie_t wmClass;
    xcb_get_property_cookie_t netWmName;
    xcb_get_property_cookie_t wmName;
    xcb_get_property_cookie_t wmState;
    xcb_query_tree_cookie_t tree;
    bool hasNetWmName;
    bool hasWmState;
    bool hasTree;
};

// The connection is dead once a request fails for want of a server.
bool IsBroken(xcb_connection_t *c)
{
    return xcb_connection_has_error(c) != 0;
}

ReplyPtr<xcb_get_property_reply_t> TakeProperty(xcb_connection_t *c,
                                                xcb_get_property_cookie_t cookie)
{
    xcb_generic_error_t *error = nullptr;
    ReplyPtr<xcb_get_property_reply_t> reply(xcb_get_property_reply(c, cookie, &error));
    std::free(error);
    return reply;
}

ReplyPtr<xcb_query_tree_reply_t> TakeTree(xcb_connection_t *c, xcb_query_tree_cookie_t cookie)
{
    xcb_generic_error_t *error = nullptr;
    ReplyPtr<xcb_query_tree_reply_t> reply(xcb_query_tree_reply(c, cookie, &error));
    std::free(error);
    return reply;
}

xcb_atom_t TakeAtom(xcb_connection_t *c, xcb_intern_atom_cookie_t cookie)
{
    xcb_generic_error_t *error = nullptr;
    ReplyPtr<xcb_intern_atom_reply_t> reply(xcb_intern_atom_reply(c, cookie, &error));
    std::free(error);
    return reply ? reply->atom : xcb_atom_t{XCB_ATOM_NONE};
}

xcb_intern_atom_cookie_t AskAtom(xcb_connection_t *c, std::string_view name)
{
    // Only if it exists: an atom nobody interned is on no window.
    return xcb_intern_atom(c, 1, static_cast<std::uint16_t>(name.size()), name.data());
}

void AddChildren(const xcb_query_tree_reply_t *tree, Role role, std::vector<Candidate> &out)
{
    const xcb_window_t *children = xcb_query_tree_children(tree);
    const int count = xcb_query_tree_children_length(tree);
    for (int i = 0; i < count; ++i)
        out.push_back({children[i], role});
}

void AddListed(const xcb_get_property_reply_t *list, std::vector<Candidate> &out)
{
    if (!PropertyExists(list) || list->format != 32)
        return;
    const auto *windows = static_cast<const xcb_window_t *>(xcb_get_property_value(list));
    const int count = xcb_get_property_value_length(list) / 4;
    for (int i = 0; i < count; ++i) {
        if (windows[i] != XCB_WINDOW_NONE)
            out.push_back({windows[i], Role::Listed});
    }
}

// A window both listed and a root child is looked at once, as a root child.
void RemoveDuplicates(std::vector<Candidate> &candidates)
{
    std::stable_sort(candidates.begin(), candidates.end(),
                     [](const Candidate &a, const Candidate &b) { return a.window < b.window; });
    candidates.erase(std::unique(candidates.begin(), candidates.end(),
                                 [](const Candidate &a, const Candidate &b) {
                                     return a.window == b.window;
                                 }),
                     candidates.end());
}

// The root windows' children and the window managers' client lists.
bool CollectTopLevel(xcb_connection_t *c, Atoms &atoms, std::vector<Candidate> &out)
{
    const xcb_intern_atom_cookie_t netWmName = AskAtom(c, "_NET_WM_NAME");
    const xcb_intern_atom_cookie_t netClientList = AskAtom(c, "_NET_CLIENT_LIST");
    const xcb_intern_atom_cookie_t wmState = AskAtom(c, "WM_STATE");
    std::vector<xcb_window_t> roots;
    for (auto it = xcb_setup_roots_iterator(xcb_get_setup(c)); it.rem > 0; xcb_screen_next(&it))
        roots.push_back(it.data->root);
    std::vector<xcb_query_tree_cookie_t> trees(roots.size());
    std::transform(roots.begin(), roots.end(), trees.begin(),
                   [c](xcb_window_t root) { return xcb_query_tree(c, root); });

    atoms.netWmName = TakeAtom(c, netWmName);
    atoms.netClientList = TakeAtom(c, netClientList);
    atoms.wmState = TakeAtom(c, wmState);
    std::vector<xcb_get_property_cookie_t> lists;
    if (atoms.netClientList != XCB_ATOM_NONE) {
        lists.resize(roots.size());
        std::transform(roots.begin(), roots.end(), lists.begin(), [c, &atoms](xcb_window_t root) {
            return xcb_get_property(c, 0, root, atoms.netClientList, XCB_ATOM_WINDOW, 0,
                                    kClientListLimit);
        });
    }
    for (auto cookie : trees) {
        auto tree = TakeTree(c, cookie);
        if (tree)
            AddChildren(tree.get(), Role::TopLevel, out);
    }
    for (auto cookie : lists) {
        auto list = TakeProperty(c, cookie);
        AddListed(list.get(), out);
    }
    if (IsBroken(c))
        return false;
    RemoveDuplicates(out);
    return true;
}

Pending Ask(xcb_connection_t *c, const Atoms &atoms, const Candidate &candidate, int depth,
            std::string_view windowClass, std::string_view title)
{
    Pending p{};
    const xcb_window_t w = candidate.window;
    const std::uint32_t classLongs = LongsFor(kInstanceLimit + windowClass.size() + 2);
    // One byte more than the title: a longer name shows up as a longer value.
    const std::uint32_t nameLongs = LongsFor(title.size() + 1);
    p.wmClass = xcb_get_property(c, 0, w, XCB_ATOM_WM_CLASS, XCB_GET_PROPERTY_TYPE_ANY, 0,
                                 classLongs);
    p.wmName = xcb_get_property(c, 0, w, XCB_ATOM_WM_NAME, XCB_GET_PROPERTY_TYPE_ANY, 0,
                                nameLongs);
    p.hasNetWmName = atoms.netWmName != XCB_ATOM_NONE;
    if (p.hasNetWmName)
        p.netWmName = xcb_get_property(c, 0, w, atoms.netWmName, XCB_GET_PROPERTY_TYPE_ANY, 0,
                                       nameLongs);
    p.hasWmState = atoms.wmState != XCB_ATOM_NONE;
    if (p.hasWmState)
        p.wmState = xcb_get_property(c, 0, w, atoms.wmState, XCB_GET_PROPERTY_TYPE_ANY, 0, 0);
    p.hasTree = candidate.role != Role::Listed && depth < kMaxFrameDepth;
    if (p.hasTree)
        p.tree = xcb_query_tree(c, w);
    return p;
}

// Neither name set: the window's title is the empty one.
bool TitleMatches(const xcb_get_property_reply_t *netWmName,
                  const xcb_get_property_reply_t *wmName, std::string_view title)
{
    if (!PropertyExists(netWmName) && !PropertyExists(wmName))
        return title.empty();
    return NameEquals(netWmName, title) || NameEquals(wmName, title);
}

}  // namespace

xcb_window_t FindClientWindow(xcb_connection_t *c, std::string_view windowClass,
                              std::string_view title)
{
    Atoms atoms;
    std::vector<Candidate> level;
    if (!CollectTopLevel(c, atoms, level))
        return XCB_WINDOW_NONE;

    std::vector<Pending> pending;
    std::vector<Candidate> next;
    for (int depth = 1; !level.empty() && depth <= kMaxFrameDepth; ++depth) {
        pending.resize(level.size());
        std::transform(level.begin(), level.end(), pending.begin(),
                       [&](const Candidate &candidate) {
                           return Ask(c, atoms, candidate, depth, windowClass, title);
                       });

        next.clear();
        for (std::size_t i = 0; i < level.size(); ++i) {
            const Pending &p = pending[i];
            auto wmClass = TakeProperty(c, p.wmClass);
            auto wmName = TakeProperty(c, p.wmName);
            ReplyPtr<xcb_get_property_reply_t> netWmName, wmState;
            if (p.hasNetWmName)
                netWmName = TakeProperty(c, p.netWmName);
            if (p.hasWmState)
                wmState = TakeProperty(c, p.wmState);
            ReplyPtr<xcb_query_tree_reply_t> tree;
            if (p.hasTree)
                tree = TakeTree(c, p.tree);
            if (IsBroken(c))
                return XCB_WINDOW_NONE;

            const bool isClient = level[i].role != Role::BelowFrame || PropertyExists(wmState.get());
            if (isClient && ClassPartEquals(wmClass.get(), windowClass) &&
                TitleMatches(netWmName.get(), wmName.get(), title))
                return level[i].window;
            // A window with WM_STATE is a client: what lies below it is its own.
            if (tree && !PropertyExists(wmState.get()))
                AddChildren(tree.get(), Role::BelowFrame, next);
        }
        level.swap(next);
    }
    return XCB_WINDOW_NONE;
}

}  // namespace windowlookup
