#pragma once
// Message timers for tests, on a clock the test moves: Advance fires every timer whose
// countdown ends, in time order, and hands errors escaping a handler to onError the way
// the real message loop hands them to the application's handler.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/timers.h"

namespace vtl {

class FakeTimers : public IMessageTimers {
public:
    struct Record {
        std::uint32_t interval = 0;
        std::uint64_t countdownStart = 0;      // fake time at which the running countdown began
        std::vector<std::uint32_t> intervals;  // every interval it ran with, the first included
        int fired = 0;
        bool alive = true;
        TimerHandler handler;
        IMessageTimer* timer = nullptr;
    };

    // log, when given, receives "timer<n> create <ms>", "timer<n> interval <ms>",
    // "timer<n> destroy" and "process messages" (shared with FakeAudioWorld::log to see
    // the order across both seams).
    explicit FakeTimers(std::vector<std::string>* log = nullptr) : log_(log) {}
    ~FakeTimers() override;

    std::unique_ptr<IMessageTimer> CreateTimer(std::uint32_t milliseconds, TimerHandler handler) override;
    void ProcessMessages() override;

    void Advance(std::uint64_t milliseconds);
    std::uint64_t Now() const { return now_; }
    // Timers by creation number - 1 (dead ones stay, marked).
    const Record& At(std::size_t index) const { return *records_.at(index); }
    std::size_t Count() const { return records_.size(); }
    std::size_t LiveCount() const;

    EventErrorHandler onError;  // when empty, messages go to errors
    std::vector<std::string> errors;
    int processMessagesCalls = 0;

private:
    friend class FakeTimer;
    void Log(const std::string& entry) {
        if (log_) log_->push_back(entry);
    }
    void Fire(Record& record);
    std::vector<std::unique_ptr<Record>> records_;
    std::vector<std::string>* log_;
    std::uint64_t now_ = 0;
};

}  // namespace vtl
