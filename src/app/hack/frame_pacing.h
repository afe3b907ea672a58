#pragma once
// When the hack's loop paints its next frame. The loop waits on the X connection, so
// it needs to know how long it may sleep and, after waking, whether a frame is due.
// Ticks are 32-bit milliseconds that wrap; every comparison here is a difference.
#include <cstdint>

namespace vtl {

class FramePacer {
public:
    // The first frame is due at `now`.
    FramePacer(std::uint32_t interval, std::uint32_t now) : interval_(interval), next_(now) {}

    // How long the loop may wait for the next frame: 0 when one is due, never more than
    // one interval.
    std::uint32_t WaitMs(std::uint32_t now) const { return Due(now) ? 0 : next_ - now; }

    // Whether a frame is due at `now`; when it is, the next one is scheduled one interval
    // on. A run that fell more than a frame behind (a stopped process, a slow renderer)
    // starts counting again rather than racing to catch up.
    bool TakeFrame(std::uint32_t now);

    std::uint32_t NextFrame() const { return next_; }

private:
    // The next frame never lies more than one interval ahead; a schedule further ahead
    // can only come from a clock that jumped by half its range or more, and is due now
    // rather than after a sleep of weeks.
    bool Due(std::uint32_t now) const {
        const std::uint32_t ahead = next_ - now;
        return ahead == 0 || ahead > interval_;
    }

    std::uint32_t interval_;
    std::uint32_t next_;
};

}  // namespace vtl
