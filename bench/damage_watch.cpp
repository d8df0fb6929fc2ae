// Watches, from the X server's side, when a program under Wine puts pixels on the screen, for
// key_timer to time keys without asking Wine anything while a key is handled. Wine draws a window
// into memory and copies what changed to its X window when the window's thread goes idle, so the
// last drawing after a key is the moment the key's effect was on the screen and the program idle.
// Linux only (Xlib with the DAMAGE extension); built and started by scripts/bench.
//
// Usage: damage_watch PORT
// It serves one connection on 127.0.0.1:PORT, a command a line, each answered with a line:
//   WINDOW NAME       watches the top-level X windows whose WM_CLASS names NAME (case ignored,
//                     e.g. tessary.exe): "OK count"
//   MARK              forgets what was drawn so far and starts the clock: "OK"
//   WAIT QUIET LIMIT  waits until nothing was drawn for QUIET ms after something was, or LIMIT
//                     ms passed: "drawings microseconds", the time from MARK to the end of the
//                     last drawing (0 -1 when nothing was drawn)
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/Xdamage.h>
#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <strings.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>
#include <vector>

namespace {

Display* XDisplay = nullptr;
int DamageEventBase = 0;
std::vector<Damage> Watched;

long long Microseconds()
{
    timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    return now.tv_sec * 1000000LL + now.tv_nsec / 1000;
}

bool Named(Window window, const char* name)
{
    XClassHint hint;
    if (!XGetClassHint(XDisplay, window, &hint))
        return false;
    bool named = (hint.res_name != nullptr && strcasecmp(hint.res_name, name) == 0) ||
                 (hint.res_class != nullptr && strcasecmp(hint.res_class, name) == 0);
    XFree(hint.res_name);
    XFree(hint.res_class);
    return named;
}

int Watch(const char* name)
{
    for (Damage damage : Watched)
        XDamageDestroy(XDisplay, damage);
    Watched.clear();
    Window root, parent;
    Window* children = nullptr;
    unsigned count = 0;
    if (!XQueryTree(XDisplay, DefaultRootWindow(XDisplay), &root, &parent, &children, &count))
        return 0;
    for (unsigned i = 0; i < count; ++i) {
        if (Named(children[i], name))
            Watched.push_back(XDamageCreate(XDisplay, children[i], XDamageReportRawRectangles));
    }
    XFree(children);
    XSync(XDisplay, False);
    return static_cast<int>(Watched.size());
}

// Takes the X events that have come; returns how many were drawings.
int TakeEvents()
{
    int drawings = 0;
    while (XPending(XDisplay) > 0) {
        XEvent event;
        XNextEvent(XDisplay, &event);
        if (event.type == DamageEventBase + XDamageNotify)
            ++drawings;
    }
    return drawings;
}

std::string Wait(int quietMs, int limitMs, long long mark)
{
    int drawings = 0;
    long long last = -1;
    pollfd x = {ConnectionNumber(XDisplay), POLLIN, 0};
    for (;;) {
        int taken = TakeEvents();
        long long now = Microseconds();
        if (taken > 0) {
            drawings += taken;
            last = now;
        }
        long long end = last >= 0 ? last + quietMs * 1000LL : mark + limitMs * 1000LL;
        if (last >= 0 && end > mark + limitMs * 1000LL)
            end = mark + limitMs * 1000LL;
        if (now >= end)
            break;
        poll(&x, 1, static_cast<int>((end - now + 999) / 1000));
    }
    char reply[64];
    std::snprintf(reply, sizeof reply, "%d %lld\n", drawings, last >= 0 ? last - mark : -1);
    return reply;
}

std::string Answer(const std::string& command, long long* mark)
{
    if (command.compare(0, 7, "WINDOW ") == 0)
        return "OK " + std::to_string(Watch(command.c_str() + 7)) + "\n";
    if (command == "MARK") {
        XSync(XDisplay, False);
        TakeEvents();
        *mark = Microseconds();
        return "OK\n";
    }
    int quiet = 0, limit = 0;
    if (std::sscanf(command.c_str(), "WAIT %d %d", &quiet, &limit) == 2)
        return Wait(quiet, limit, *mark);
    return "ERROR\n";
}

}

int main(int argc, char** argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: damage_watch PORT\n");
        return 2;
    }
    XDisplay = XOpenDisplay(nullptr);
    int errorBase = 0;
    if (XDisplay == nullptr || !XDamageQueryExtension(XDisplay, &DamageEventBase, &errorBase)) {
        std::fprintf(stderr, "damage_watch: no X display with the DAMAGE extension\n");
        return 1;
    }
    int server = socket(AF_INET, SOCK_STREAM, 0);
    int on = 1;
    setsockopt(server, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    sockaddr_in address;
    std::memset(&address, 0, sizeof address);
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<unsigned short>(std::atoi(argv[1])));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (bind(server, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 || listen(server, 1) != 0) {
        std::perror("damage_watch");
        return 1;
    }
    std::printf("listening\n");
    std::fflush(stdout);
    int client = accept(server, nullptr, nullptr);
    setsockopt(client, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
    long long mark = Microseconds();
    std::string pending;
    char buffer[256];
    for (;;) {
        ssize_t got = read(client, buffer, sizeof buffer);
        if (got <= 0)
            break;
        pending.append(buffer, static_cast<size_t>(got));
        size_t end;
        while ((end = pending.find('\n')) != std::string::npos) {
            std::string command = pending.substr(0, end);
            pending.erase(0, end + 1);
            if (!command.empty() && command.back() == '\r')
                command.pop_back();
            std::string reply = Answer(command, &mark);
            if (write(client, reply.data(), reply.size()) < 0)
                return 1;
        }
    }
    close(client);
    close(server);
    XCloseDisplay(XDisplay);
    return 0;
}
