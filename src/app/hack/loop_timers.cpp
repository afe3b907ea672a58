#include "app/hack/loop_timers.h"

#include <algorithm>

namespace vtl {

struct LoopTimers::Entry {
    std::uint32_t interval = 0;
    std::uint32_t start = 0;  // tick at which the running countdown began
    TimerHandler handler;
    bool alive = true;
    IMessageTimer* timer = nullptr;

    // Measured as the time since the countdown began, an unsigned difference: right
    // across the tick count's wrap and for any interval, where comparing a due tick by
    // its signed distance would take an interval of 2^31 ms or more as due at once.
    std::uint32_t Elapsed(std::uint32_t now) const { return now - start; }
    bool Due(std::uint32_t now) const { return Elapsed(now) >= interval; }
    std::uint32_t Overdue(std::uint32_t now) const { return Elapsed(now) - interval; }
};

class LoopTimer : public IMessageTimer {
public:
    LoopTimer(LoopTimers& owner, std::shared_ptr<LoopTimers::Entry> entry) : owner_(owner), entry_(std::move(entry)) {
        entry_->timer = this;
    }
    ~LoopTimer() override {
        entry_->alive = false;
        auto& list = owner_.entries_;
        list.erase(std::remove(list.begin(), list.end(), entry_), list.end());
    }
    void SetInterval(std::uint32_t milliseconds) override {
        if (milliseconds == entry_->interval) return;
        entry_->interval = milliseconds;
        entry_->start = owner_.clock_.TickCount();
    }
    std::uint32_t Interval() const override { return entry_->interval; }

private:
    LoopTimers& owner_;
    std::shared_ptr<LoopTimers::Entry> entry_;
};

LoopTimers::LoopTimers(IClock& clock, EventErrorHandler onError) : clock_(clock), onError_(std::move(onError)) {}

LoopTimers::~LoopTimers() {
    for (auto& entry : entries_) entry->alive = false;
}

std::unique_ptr<IMessageTimer> LoopTimers::CreateTimer(std::uint32_t milliseconds, TimerHandler handler) {
    auto entry = std::make_shared<Entry>();
    entry->interval = milliseconds;
    entry->start = clock_.TickCount();
    entry->handler = std::move(handler);
    entries_.push_back(entry);
    return std::make_unique<LoopTimer>(*this, std::move(entry));
}

void LoopTimers::ProcessMessages() {
    const std::uint32_t now = clock_.TickCount();
    // Handlers may make, change or destroy timers: work on a list taken now, and skip
    // what died meanwhile. Timers made by a handler wait for the next round.
    std::vector<std::shared_ptr<Entry>> due;
    for (const auto& entry : entries_)
        if (entry->Due(now)) due.push_back(entry);
    std::stable_sort(due.begin(), due.end(),
                     [now](const auto& a, const auto& b) { return a->Overdue(now) > b->Overdue(now); });
    for (const auto& entry : due) {
        if (!entry->alive || !entry->Due(now)) continue;
        entry->start = now;
        try {
            entry->handler(*entry->timer);
        } catch (const std::exception& error) {
            if (onError_) onError_(error);
        }
    }
}

std::uint32_t LoopTimers::MillisecondsToNextDue(std::uint32_t longest) const {
    const std::uint32_t now = clock_.TickCount();
    std::uint32_t wait = longest;
    for (const auto& entry : entries_) {
        if (entry->Due(now)) return 0;
        wait = std::min(wait, entry->interval - entry->Elapsed(now));
    }
    return wait;
}

}  // namespace vtl
