// A small X client for the window lookup tests. It creates a top-level
// window with the properties its options give, prints "ready <id>" (the
// client window's id) once the server has them, and keeps the window until
// its standard input closes (or --close-after runs out); then it destroys
// its windows, waits until the server has done so, and exits.
//
//   --class C --instance I   WM_CLASS "I\0C\0" (instance default "hold_window")
//   --wm-class-hex H         WM_CLASS as raw bytes, in hex
//   --class-format F         WM_CLASS stored with format 8, 16 or 32
//   --wm-name T              WM_NAME (STRING)
//   --net-wm-name T          _NET_WM_NAME (UTF8_STRING)
//   --name-format F          both names stored with format 8, 16 or 32
//   --pad-names N            N bytes appended to each name set
//   --pad-wm-name N          N bytes appended to WM_NAME only
//   --pad-instance N         N bytes appended to the WM_CLASS instance
//   --unmapped               never map the windows
//   --frame D                put the client inside D nested frames
//   --no-wm-state            the client in a frame carries no WM_STATE
//   --client-list            add the client to the root's _NET_CLIENT_LIST
//   --junk-client-list N     add N ids of no window to that list first
//   --decoys N               N other top-level windows, each with a child
//   --close-after MS         destroy the windows after MS ms
//   --watch PATH             print "present PATH" or "missing PATH" just
//                            before the windows are destroyed
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <poll.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

#include <xcb/xcb.h>

namespace {

struct Options {
    bool hasClass = false;
    std::string wmClass;  // the whole property
    std::string windowClass;
    std::string instance = "hold_window";
    int classFormat = 8;
    bool hasWmName = false;
    std::string wmName;
    bool hasNetWmName = false;
    std::string netWmName;
    int nameFormat = 8;
    std::size_t padNames = 0;
    std::size_t padWmName = 0;
    std::size_t padInstance = 0;
    bool unmapped = false;
    int frames = 0;
    bool wmState = true;
    bool clientList = false;
    int junkClientList = 0;
    int decoys = 0;
    int closeAfterMs = -1;
    std::string watch;
};

[[noreturn]] void Fail(const char *what)
{
    std::fprintf(stderr, "hold_window: %s\n", what);
    std::exit(2);
}

std::string FromHex(const char *hex)
{
    std::string bytes;
    for (std::size_t i = 0; hex[i] != '\0' && hex[i + 1] != '\0'; i += 2)
        bytes.push_back(static_cast<char>(std::stoi(std::string(hex + i, 2), nullptr, 16)));
    return bytes;
}

Options Parse(int argc, char **argv)
{
    Options o;
    bool rawClass = false;
    for (int i = 1; i < argc; ++i) {
        std::string flag = argv[i];
        auto value = [&]() -> const char * {
            if (i + 1 >= argc)
                Fail("option without its value");
            return argv[++i];
        };
        if (flag == "--class") {
            o.hasClass = true;
            o.windowClass = value();
        } else if (flag == "--instance") {
            o.hasClass = true;
            o.instance = value();
        } else if (flag == "--wm-class-hex") {
            o.hasClass = rawClass = true;
            o.wmClass = FromHex(value());
        } else if (flag == "--class-format") {
            o.classFormat = std::atoi(value());
        } else if (flag == "--wm-name") {
            o.hasWmName = true;
            o.wmName = value();
        } else if (flag == "--net-wm-name") {
            o.hasNetWmName = true;
            o.netWmName = value();
        } else if (flag == "--name-format") {
            o.nameFormat = std::atoi(value());
        } else if (flag == "--pad-names") {
            o.padNames = std::strtoul(value(), nullptr, 10);
        } else if (flag == "--pad-wm-name") {
            o.padWmName = std::strtoul(value(), nullptr, 10);
        } else if (flag == "--pad-instance") {
            o.padInstance = std::strtoul(value(), nullptr, 10);
        } else if (flag == "--unmapped") {
            o.unmapped = true;
        } else if (flag == "--frame") {
            o.frames = std::atoi(value());
        } else if (flag == "--no-wm-state") {
            o.wmState = false;
        } else if (flag == "--client-list") {
            o.clientList = true;
        } else if (flag == "--junk-client-list") {
            o.junkClientList = std::atoi(value());
        } else if (flag == "--decoys") {
            o.decoys = std::atoi(value());
        } else if (flag == "--close-after") {
            o.closeAfterMs = std::atoi(value());
        } else if (flag == "--watch") {
            o.watch = value();
        } else {
            Fail(("unknown option " + flag).c_str());
        }
    }
    if (o.hasClass && !rawClass) {
        o.instance.append(o.padInstance, 'i');
        o.wmClass = o.instance + '\0' + o.windowClass + '\0';
    }
    return o;
}

xcb_atom_t Intern(xcb_connection_t *c, const char *name)
{
    xcb_intern_atom_reply_t *reply = xcb_intern_atom_reply(
        c, xcb_intern_atom(c, 0, static_cast<std::uint16_t>(std::strlen(name)), name), nullptr);
    if (reply == nullptr)
        Fail("cannot intern an atom");
    xcb_atom_t atom = reply->atom;
    std::free(reply);
    return atom;
}

// Stores bytes with the given format, in pieces small enough for any
// request size; the data is padded with NULs to whole units.
void SetProperty(xcb_connection_t *c, xcb_window_t w, xcb_atom_t property, xcb_atom_t type,
                 int format, std::string data)
{
    const std::size_t unit = static_cast<std::size_t>(format) / 8;
    data.append((unit - data.size() % unit) % unit, '\0');
    constexpr std::size_t kPiece = 64 * 1024;
    xcb_change_property(c, XCB_PROP_MODE_REPLACE, w, property, type,
                        static_cast<std::uint8_t>(format), 0, nullptr);
    for (std::size_t at = 0; at < data.size(); at += kPiece) {
        std::size_t n = std::min(kPiece, data.size() - at);
        xcb_change_property(c, XCB_PROP_MODE_APPEND, w, property, type,
                            static_cast<std::uint8_t>(format), static_cast<std::uint32_t>(n / unit),
                            data.data() + at);
    }
}

xcb_window_t MakeWindow(xcb_connection_t *c, const xcb_screen_t *screen, xcb_window_t parent)
{
    xcb_window_t w = xcb_generate_id(c);
    xcb_create_window(c, XCB_COPY_FROM_PARENT, w, parent, 10, 10, 200, 100, 0,
                      XCB_WINDOW_CLASS_INPUT_OUTPUT, screen->root_visual, 0, nullptr);
    return w;
}

void Sync(xcb_connection_t *c)
{
    std::free(xcb_get_input_focus_reply(c, xcb_get_input_focus(c), nullptr));
    if (xcb_connection_has_error(c) != 0)
        Fail("the X connection failed");
}

// Returns when standard input closes or the time runs out.
void Hold(int closeAfterMs)
{
    char buffer[256];
    for (;;) {
        pollfd pfd = {0, POLLIN, 0};
        int ready = poll(&pfd, 1, closeAfterMs);
        if (ready == 0)
            return;
        if (ready > 0 && read(0, buffer, sizeof buffer) <= 0)
            return;
    }
}

}  // namespace

int main(int argc, char **argv)
{
    const Options o = Parse(argc, argv);
    xcb_connection_t *c = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(c) != 0)
        Fail("cannot connect to the X server");
    const xcb_screen_t *screen = xcb_setup_roots_iterator(xcb_get_setup(c)).data;
    const xcb_atom_t utf8 = Intern(c, "UTF8_STRING");
    const xcb_atom_t netWmName = Intern(c, "_NET_WM_NAME");
    const xcb_atom_t netClientList = Intern(c, "_NET_CLIENT_LIST");
    const xcb_atom_t wmStateAtom = Intern(c, "WM_STATE");

    std::vector<xcb_window_t> topLevel;
    for (int i = 0; i < o.decoys; ++i) {
        xcb_window_t decoy = MakeWindow(c, screen, screen->root);
        SetProperty(c, decoy, XCB_ATOM_WM_CLASS, XCB_ATOM_STRING, 8,
                    std::string("decoy\0Decoy_Win\0", 16));
        SetProperty(c, decoy, XCB_ATOM_WM_NAME, XCB_ATOM_STRING, 8, "decoy " + std::to_string(i));
        MakeWindow(c, screen, decoy);
        topLevel.push_back(decoy);
    }

    xcb_window_t parent = screen->root;
    for (int i = 0; i < o.frames; ++i) {
        xcb_window_t frame = MakeWindow(c, screen, parent);
        if (i == 0)
            topLevel.push_back(frame);
        if (!o.unmapped)
            xcb_map_window(c, frame);
        parent = frame;
    }
    xcb_window_t client = MakeWindow(c, screen, parent);
    if (o.frames == 0)
        topLevel.push_back(client);
    if (o.hasClass)
        SetProperty(c, client, XCB_ATOM_WM_CLASS, XCB_ATOM_STRING, o.classFormat, o.wmClass);
    const std::string pad(o.padNames, 'p');
    if (o.hasWmName)
        SetProperty(c, client, XCB_ATOM_WM_NAME, XCB_ATOM_STRING, o.nameFormat,
                    o.wmName + pad + std::string(o.padWmName, 'w'));
    if (o.hasNetWmName)
        SetProperty(c, client, netWmName, utf8, o.nameFormat, o.netWmName + pad);
    if (o.frames > 0 && o.wmState) {
        const std::uint32_t normalState[2] = {1, XCB_WINDOW_NONE};
        xcb_change_property(c, XCB_PROP_MODE_REPLACE, client, wmStateAtom, wmStateAtom, 32, 2,
                            normalState);
    }
    if (!o.unmapped)
        xcb_map_window(c, client);

    std::vector<xcb_window_t> listed;
    for (int i = 0; i < o.junkClientList; ++i)
        listed.push_back(0x1fff0000u + static_cast<xcb_window_t>(i));
    if (o.clientList)
        listed.push_back(client);
    if (!listed.empty())
        xcb_change_property(c, XCB_PROP_MODE_APPEND, screen->root, netClientList,
                            XCB_ATOM_WINDOW, 32, static_cast<std::uint32_t>(listed.size()),
                            listed.data());
    Sync(c);
    std::printf("ready %u\n", client);
    std::fflush(stdout);

    Hold(o.closeAfterMs);

    if (!o.watch.empty()) {
        struct stat st;
        bool present = lstat(o.watch.c_str(), &st) == 0;
        std::printf("%s %s\n", present ? "present" : "missing", o.watch.c_str());
    }
    for (xcb_window_t w : topLevel)
        xcb_destroy_window(c, w);
    if (!listed.empty())
        xcb_delete_property(c, screen->root, netClientList);
    Sync(c);
    xcb_disconnect(c);
    std::printf("closed\n");
    std::fflush(stdout);
    return 0;
}
