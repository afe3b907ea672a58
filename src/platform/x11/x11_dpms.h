#pragma once
// The X server's display power management: whether the monitor is powered down
// (XScreenSaver's power-saving settings, or `xset dpms force off`).
#include <X11/Xlib.h>

#include <optional>

namespace vtl::x11 {

// True while the monitor is in standby, suspend or off; false while it is on or power
// management is disabled; none when the server has no power management.
std::optional<bool> MonitorPoweredDown(Display* display);

}  // namespace vtl::x11
