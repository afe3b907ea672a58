#pragma once
// Whether anybody can see the saver, and what follows from it: no frames and no sound
// while the monitor is off, half the frame rate on a nearly empty battery, and a scene
// clock that stands still while nothing is drawn, so the overlay's frame rate and
// running time go on from where they were instead of averaging over the dark spell.
#include <cstdint>

#include "platform/host.h"

namespace vtl {

enum class DisplayPower { On, Dimmed, Off };

struct PowerSource {
    bool onBattery = false;
    int batteryPercent = -1;  // -1: not known
};

class DisplayWatch {
public:
    static constexpr int kLowBatteryPercent = 20;  // below this, on battery, frames halve

    explicit DisplayWatch(std::uint32_t frameInterval) : baseInterval_(frameInterval ? frameInterval : 1) {}

    // What a report changed, so the host restarts only what it must.
    struct Change {
        bool paused = false;    // Paused() flipped
        bool interval = false;  // FrameInterval() changed
    };

    // A dimmed monitor still shows the scene; only one that is off pauses it.
    Change SetDisplay(DisplayPower power, std::uint32_t now);
    Change SetPowerSource(const PowerSource& source);

    bool Paused() const { return paused_; }
    std::uint32_t FrameInterval() const { return halved_ ? 2 * baseInterval_ : baseInterval_; }

    // The scene's time: the real tick less every span spent paused (and frozen while
    // a pause lasts). Ticks wrap; only differences are taken.
    std::uint32_t SceneTicks(std::uint32_t now) const { return now - pausedTotal_ - (paused_ ? now - pausedAt_ : 0u); }

private:
    std::uint32_t baseInterval_;
    bool paused_ = false;
    bool halved_ = false;
    std::uint32_t pausedAt_ = 0;
    std::uint32_t pausedTotal_ = 0;
};

// A clock that reads the scene's time through a watch.
class SceneClock : public IClock {
public:
    SceneClock(IClock& real, const DisplayWatch& watch) : real_(real), watch_(watch) {}
    std::uint32_t TickCount() override { return watch_.SceneTicks(real_.TickCount()); }

private:
    IClock& real_;
    const DisplayWatch& watch_;
};

}  // namespace vtl
