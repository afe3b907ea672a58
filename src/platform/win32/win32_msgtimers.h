#pragma once
// Window-message timers of Windows: thread timers (no window) whose WM_TIMER the
// saver's message loop dispatches to a timer procedure on the UI thread.
#include "platform/timers.h"

namespace vtl::win32 {

class Win32MessageTimers : public IMessageTimers {
public:
    // onError receives what escapes a handler; it must not raise itself.
    explicit Win32MessageTimers(EventErrorHandler onError);
    std::unique_ptr<IMessageTimer> CreateTimer(std::uint32_t milliseconds, TimerHandler handler) override;
    // Dispatches the posted messages and timers waiting now, but keys and mouse
    // messages, which are dropped; a quit message is put back for the main loop. Paints
    // and the person's own input are left to the loop.
    void ProcessMessages() override;
    // Fires every timer whose interval has run out, as its message would. The system
    // makes a timer message only when nothing else waits, which a window painted
    // without pause never allows; a loop calls this after each message it dispatched.
    // A message that comes after its timer was served here is let pass.
    void ServeDue();

private:
    EventErrorHandler onError_;
};

}  // namespace vtl::win32
