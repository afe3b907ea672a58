#pragma once
// The hack learns that XScreenSaver powered the monitor down only by asking the X
// server; this asks once a second and tells the watch what it heard.
#include <cstdint>
#include <functional>
#include <optional>

#include "app/common/display_watch.h"

namespace vtl {

class MonitorPoll {
public:
    static constexpr std::uint32_t kPeriodMs = 1000;

    // What the server says now; none when it cannot say (no power management there),
    // which counts as a monitor that is on.
    using Query = std::function<std::optional<DisplayPower>()>;

    // Asks at once, so a saver started on a dark monitor never draws.
    MonitorPoll(Query query, DisplayWatch& watch, std::uint32_t now);

    // Asks again when a period has passed since the last question; true when the watch's
    // pause flipped.
    bool Poll(std::uint32_t now);
    // How long the loop may sleep before the next question is due (0: due now).
    std::uint32_t WaitMs(std::uint32_t now) const;

private:
    bool Ask(std::uint32_t now);

    Query query_;
    DisplayWatch& watch_;
    std::uint32_t nextAsk_ = 0;
};

}  // namespace vtl
