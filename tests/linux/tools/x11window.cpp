// x11window WIDTH HEIGHT: maps a grey top-level window at 0,0, prints its id in hex on
// one line and keeps it until killed, or until the window is destroyed.
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: x11window WIDTH HEIGHT\n");
        return 2;
    }
    Display* display = XOpenDisplay(nullptr);
    if (!display) {
        std::fprintf(stderr, "x11window: cannot open display\n");
        return 1;
    }
    const int screen = DefaultScreen(display);
    const auto width = static_cast<unsigned>(std::atoi(argv[1]));
    const auto height = static_cast<unsigned>(std::atoi(argv[2]));
    XSetWindowAttributes set{};
    set.background_pixel = 0x808080;
    set.override_redirect = True;  // no window manager: placed exactly where asked
    set.event_mask = StructureNotifyMask;
    const Window window =
        XCreateWindow(display, RootWindow(display, screen), 0, 0, width, height, 0, CopyFromParent, InputOutput,
                      CopyFromParent, CWBackPixel | CWOverrideRedirect | CWEventMask, &set);
    XMapWindow(display, window);
    for (;;) {
        XEvent event;
        XNextEvent(display, &event);
        if (event.type == MapNotify) {
            std::printf("0x%lx\n", window);
            std::fflush(stdout);
        }
        if (event.type == DestroyNotify) break;
    }
    XCloseDisplay(display);
    return 0;
}
