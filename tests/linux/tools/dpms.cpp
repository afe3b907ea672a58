// The X server's display power management for the tests, as `xset` would set it:
//   dpms enable | off | on | state
// enable: power management on, the server's own timeouts off (the test decides when);
// off / on: force the monitor's power; state: prints "enabled=<0|1> level=<on|standby|
// suspend|off> capable=<0|1>". Exit code 2 when the server has no power management.
#include <X11/Xlib.h>
#include <X11/extensions/dpms.h>

#include <cstdio>
#include <cstring>

int main(int argc, char** argv) {
    if (argc != 2) return 1;
    Display* display = XOpenDisplay(nullptr);
    if (!display) return 1;
    int eventBase = 0, errorBase = 0;
    // A virtual server's driver may not switch a monitor (not DPMSCapable); the server
    // keeps the level all the same.
    if (!DPMSQueryExtension(display, &eventBase, &errorBase)) return 2;
    const char* what = argv[1];
    if (std::strcmp(what, "enable") == 0) {
        DPMSEnable(display);
        DPMSSetTimeouts(display, 0, 0, 0);
    } else if (std::strcmp(what, "off") == 0) {
        DPMSForceLevel(display, DPMSModeOff);
    } else if (std::strcmp(what, "on") == 0) {
        DPMSForceLevel(display, DPMSModeOn);
    } else if (std::strcmp(what, "state") == 0) {
        CARD16 level = 0;
        BOOL enabled = False;
        DPMSInfo(display, &level, &enabled);
        const char* names[] = {"on", "standby", "suspend", "off"};
        std::printf("enabled=%d level=%s capable=%d\n", enabled ? 1 : 0, level < 4 ? names[level] : "?",
                    DPMSCapable(display) ? 1 : 0);
    } else {
        return 1;
    }
    XSync(display, False);
    XCloseDisplay(display);
    return 0;
}
