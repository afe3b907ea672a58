#pragma once
// The black, top-most windows that cover every monitor but the scene's while the
// saver runs. They never take activation (a click on one must not deactivate the
// scene), show no cursor, and pass mouse moves and keys on to the scene window, so
// input on any monitor counts as it does on the scene's.
#include <windows.h>

#include <functional>
#include <vector>

#include "app/saver/monitor_layout.h"

namespace vtl::win32 {

// The monitors as the system lists them now.
std::vector<ScreenRect> SystemMonitors();

class MonitorCovers {
public:
    using MonitorSource = std::function<std::vector<ScreenRect>()>;

    explicit MonitorCovers(MonitorSource monitors = SystemMonitors) : monitors_(std::move(monitors)) {}
    ~MonitorCovers() { Remove(); }
    MonitorCovers(const MonitorCovers&) = delete;
    MonitorCovers& operator=(const MonitorCovers&) = delete;

    // Covers every monitor the scene window does not, beneath it. Called again (a
    // monitor came or went, or the display mode changed) it lays the covers out anew.
    void Cover(HWND sceneWindow);
    void Remove();
    const std::vector<HWND>& Windows() const { return windows_; }

private:
    MonitorSource monitors_;
    std::vector<HWND> windows_;
};

}  // namespace vtl::win32
