#include "platform/x11/x11_dpms.h"

// clang-format off
#include <X11/Xlib.h>
#include <X11/extensions/dpms.h>
// clang-format on

namespace vtl::x11 {

std::optional<bool> MonitorPoweredDown(Display* display) {
    if (!display) return std::nullopt;
    int eventBase = 0, errorBase = 0;
    // Not DPMSCapable: a server whose driver cannot switch the monitor (a virtual one)
    // still keeps the level it was told, and that is what the saver goes by.
    if (!DPMSQueryExtension(display, &eventBase, &errorBase)) return std::nullopt;
    CARD16 level = DPMSModeOn;
    BOOL enabled = False;
    if (!DPMSInfo(display, &level, &enabled)) return std::nullopt;
    // `xset dpms force off` works only while power management is enabled, and a server
    // with it disabled never powers the monitor down.
    return enabled && level != DPMSModeOn;
}

}  // namespace vtl::x11
