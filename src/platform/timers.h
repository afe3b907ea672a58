#pragma once
// Window-message timers: periodic callbacks served by the host's message loop on the
// UI thread, between other messages. Nothing runs concurrently with the caller.
#include <cstdint>
#include <exception>
#include <functional>
#include <memory>

namespace vtl {

class IMessageTimer {
public:
    virtual ~IMessageTimer() = default;  // stops the timer; no call comes after
    // A different interval restarts the countdown from now; the interval it already
    // has changes nothing (the running countdown goes on).
    virtual void SetInterval(std::uint32_t milliseconds) = 0;
    virtual std::uint32_t Interval() const = 0;
};

// Called with the timer that fired, so one handler can serve several timers.
using TimerHandler = std::function<void(IMessageTimer& sender)>;

// Where an error that escapes a timer's handler goes (the application's handler,
// which shows its text). The timer keeps running.
using EventErrorHandler = std::function<void(const std::exception& error)>;

class IMessageTimers {
public:
    virtual ~IMessageTimers() = default;
    // The timer runs from now: the first call comes one interval later.
    virtual std::unique_ptr<IMessageTimer> CreateTimer(std::uint32_t milliseconds, TimerHandler handler) = 0;
    // Lets the host dispatch the messages already waiting, once, and returns.
    virtual void ProcessMessages() = 0;
};

}  // namespace vtl
