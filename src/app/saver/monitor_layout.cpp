#include "app/saver/monitor_layout.h"

#include <algorithm>

namespace vtl {

SaverLayout LayOutSaver(const std::vector<ScreenRect>& monitors, std::int32_t primaryWidth,
                        std::int32_t primaryHeight) {
    SaverLayout layout;
    layout.scene = ScreenRect{0, 0, std::max(primaryWidth, 0), std::max(primaryHeight, 0)};
    for (const ScreenRect& monitor : monitors) {
        if (monitor.Empty() || layout.scene.Contains(monitor)) continue;
        if (std::find(layout.covers.begin(), layout.covers.end(), monitor) != layout.covers.end()) continue;
        layout.covers.push_back(monitor);
    }
    return layout;
}

}  // namespace vtl
