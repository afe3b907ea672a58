#pragma once
// Message timers for a host whose loop waits on its own (poll on the X connection):
// the loop asks how long it may sleep, then lets the due timers run. Like window
// timers, a timer that fell behind fires once and counts its next interval from then;
// it never fires twice to catch up.
#include <cstdint>
#include <memory>
#include <vector>

#include "platform/host.h"
#include "platform/timers.h"

namespace vtl {

class LoopTimers : public IMessageTimers {
public:
    LoopTimers(IClock& clock, EventErrorHandler onError);
    ~LoopTimers() override;
    LoopTimers(const LoopTimers&) = delete;
    LoopTimers& operator=(const LoopTimers&) = delete;

    std::unique_ptr<IMessageTimer> CreateTimer(std::uint32_t milliseconds, TimerHandler handler) override;
    // Runs every timer due now, each once, in the order they fall due.
    void ProcessMessages() override;
    // How long the loop may wait before a timer is due: 0 when one is due already,
    // `longest` when none runs or none is due sooner.
    std::uint32_t MillisecondsToNextDue(std::uint32_t longest) const;

    struct Entry;

private:
    friend class LoopTimer;
    IClock& clock_;
    EventErrorHandler onError_;
    std::vector<std::shared_ptr<Entry>> entries_;
};

}  // namespace vtl
