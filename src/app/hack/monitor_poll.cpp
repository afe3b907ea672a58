#include "app/hack/monitor_poll.h"

#include <utility>

#include "platform/host.h"

namespace vtl {

MonitorPoll::MonitorPoll(Query query, DisplayWatch& watch, std::uint32_t now)
    : query_(std::move(query)), watch_(watch) {
    Ask(now);
}

bool MonitorPoll::Poll(std::uint32_t now) {
    if (!TickReached(now, nextAsk_)) return false;
    return Ask(now);
}

std::uint32_t MonitorPoll::WaitMs(std::uint32_t now) const {
    if (TickReached(now, nextAsk_)) return 0;
    const std::uint32_t left = nextAsk_ - now;
    return left > kPeriodMs ? 0 : left;
}

bool MonitorPoll::Ask(std::uint32_t now) {
    nextAsk_ = now + kPeriodMs;
    const std::optional<DisplayPower> power = query_ ? query_() : std::nullopt;
    return watch_.SetDisplay(power.value_or(DisplayPower::On), now).paused;
}

}  // namespace vtl
