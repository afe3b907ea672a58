#include "app/common/display_watch.h"

namespace vtl {

DisplayWatch::Change DisplayWatch::SetDisplay(DisplayPower power, std::uint32_t now) {
    const bool pause = power == DisplayPower::Off;
    if (pause == paused_) return {};
    if (pause) {
        pausedAt_ = now;
    } else {
        pausedTotal_ += now - pausedAt_;
    }
    paused_ = pause;
    return {true, false};
}

DisplayWatch::Change DisplayWatch::SetPowerSource(const PowerSource& source) {
    const bool halve = source.onBattery && source.batteryPercent >= 0 && source.batteryPercent < kLowBatteryPercent;
    if (halve == halved_) return {};
    halved_ = halve;
    return {false, true};
}

}  // namespace vtl
