#include "platform/fake/fake_timers.h"

#include <limits>

namespace vtl {

class FakeTimer : public IMessageTimer {
public:
    FakeTimer(FakeTimers& owner, FakeTimers::Record& record, std::string label)
        : owner_(owner), record_(record), label_(std::move(label)) {}
    ~FakeTimer() override {
        record_.alive = false;
        record_.timer = nullptr;
        owner_.Log(label_ + " destroy");
    }
    void SetInterval(std::uint32_t milliseconds) override {
        if (milliseconds == record_.interval) return;
        record_.interval = milliseconds;
        record_.countdownStart = owner_.now_;
        record_.intervals.push_back(milliseconds);
        owner_.Log(label_ + " interval " + std::to_string(milliseconds));
    }
    std::uint32_t Interval() const override { return record_.interval; }

private:
    FakeTimers& owner_;
    FakeTimers::Record& record_;
    std::string label_;
};

FakeTimers::~FakeTimers() {
    for (auto& record : records_) record->handler = nullptr;
}

std::unique_ptr<IMessageTimer> FakeTimers::CreateTimer(std::uint32_t milliseconds, TimerHandler handler) {
    records_.push_back(std::make_unique<Record>());
    Record& record = *records_.back();
    record.interval = milliseconds;
    record.countdownStart = now_;
    record.intervals.push_back(milliseconds);
    record.handler = std::move(handler);
    const std::string label = "timer" + std::to_string(records_.size());
    auto timer = std::make_unique<FakeTimer>(*this, record, label);
    record.timer = timer.get();
    Log(label + " create " + std::to_string(milliseconds));
    return timer;
}

void FakeTimers::ProcessMessages() {
    ++processMessagesCalls;
    Log("process messages");
}

std::size_t FakeTimers::LiveCount() const {
    std::size_t live = 0;
    for (const auto& record : records_) live += record->alive ? 1 : 0;
    return live;
}

void FakeTimers::Advance(std::uint64_t milliseconds) {
    const std::uint64_t end = now_ + milliseconds;
    for (;;) {
        Record* next = nullptr;
        std::uint64_t due = std::numeric_limits<std::uint64_t>::max();
        for (auto& record : records_) {
            // A zero interval never fires, as a message timer of 0 ms is not started.
            if (!record->alive || record->interval == 0) continue;
            const std::uint64_t at = record->countdownStart + record->interval;
            if (at < due) {
                due = at;
                next = record.get();
            }
        }
        if (!next || due > end) break;
        now_ = due;
        next->countdownStart = now_;
        Fire(*next);
    }
    now_ = end;
}

void FakeTimers::Fire(Record& record) {
    ++record.fired;
    try {
        record.handler(*record.timer);
    } catch (const std::exception& error) {
        if (onError)
            onError(error);
        else
            errors.push_back(error.what());
    }
}

}  // namespace vtl
