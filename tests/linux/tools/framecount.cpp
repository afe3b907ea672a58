// framecount WINDOW SECONDS: how many times another program drew into a window over
// that many seconds, seen from outside through the X server's damage reports. Each
// report is taken back at once, so a frame drawn in several pieces counts once, unless
// the drawing outpaces the round trip. Prints the count.
#include <X11/Xlib.h>
#include <X11/extensions/Xdamage.h>
#include <poll.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: framecount WINDOW SECONDS\n");
        return 2;
    }
    Display* display = XOpenDisplay(nullptr);
    if (!display) {
        std::fprintf(stderr, "framecount: cannot open display\n");
        return 1;
    }
    int eventBase = 0, errorBase = 0;
    if (!XDamageQueryExtension(display, &eventBase, &errorBase)) {
        std::fprintf(stderr, "framecount: the X server has no DAMAGE extension\n");
        return 1;
    }
    const Window window = std::strtoul(argv[1], nullptr, 0);
    const double seconds = std::atof(argv[2]);
    const Damage damage = XDamageCreate(display, window, XDamageReportNonEmpty);
    XSync(display, False);
    using Clock = std::chrono::steady_clock;
    const auto end = Clock::now() + std::chrono::duration<double>(seconds);
    long count = 0;
    while (Clock::now() < end) {
        while (XPending(display) > 0) {
            XEvent event;
            XNextEvent(display, &event);
            if (event.type == eventBase + XDamageNotify) {
                ++count;
                XDamageSubtract(display, damage, None, None);
            }
        }
        XFlush(display);
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(end - Clock::now()).count();
        pollfd connection{ConnectionNumber(display), POLLIN, 0};
        if (left > 0) ::poll(&connection, 1, static_cast<int>(left));
    }
    XDamageDestroy(display, damage);
    XCloseDisplay(display);
    std::printf("%ld\n", count);
    return 0;
}
