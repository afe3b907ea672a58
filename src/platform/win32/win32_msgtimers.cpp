#include "platform/win32/win32_msgtimers.h"

#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <map>
#include <vector>

#include "platform/errors.h"
#include "platform/host.h"

namespace vtl::win32 {
namespace {

class Win32Timer;

// Thread timers carry only their id into the timer procedure.
std::map<UINT_PTR, Win32Timer*>& LiveTimers() {
    static std::map<UINT_PTR, Win32Timer*> timers;
    return timers;
}

void CALLBACK TimerProc(HWND, UINT, UINT_PTR id, DWORD);

class Win32Timer : public IMessageTimer {
public:
    Win32Timer(std::uint32_t milliseconds, TimerHandler handler, const EventErrorHandler& onError)
        : interval_(milliseconds), handler_(std::move(handler)), onError_(onError) {
        Arm();
    }
    ~Win32Timer() override { Disarm(); }
    void SetInterval(std::uint32_t milliseconds) override {
        if (milliseconds == interval_) return;
        interval_ = milliseconds;
        // A thread timer cannot be re-armed under its id everywhere; a new one restarts
        // the countdown from now, which is what a changed interval means.
        Disarm();
        Arm();
    }
    std::uint32_t Interval() const override { return interval_; }

    // Due when its interval has run out since it was armed or last fired. The system's
    // message may come a tick before our own clock says so, and is taken then.
    bool Due(bool message) const {
        if (!id_) return false;
        const std::uint32_t slack = message ? std::min<std::uint32_t>(interval_ / 2, 20) : 0;
        return TickReached(GetTickCount() + slack, dueTick_);
    }

    // From the timer's message, or served from the loop; whichever comes first fires.
    void Fire(bool message) {
        if (!Due(message)) return;
        dueTick_ = GetTickCount() + interval_;
        // Errors must not unwind through the system's message dispatch.
        try {
            handler_(*this);
        } catch (const std::exception& error) {
            if (onError_) onError_(error);
        } catch (...) {
            if (onError_) onError_(EGeneral("Unknown error"));
        }
    }

private:
    void Arm() {
        if (interval_ == 0) return;
        id_ = SetTimer(nullptr, 0, interval_, TimerProc);
        if (id_) LiveTimers()[id_] = this;
        dueTick_ = GetTickCount() + interval_;
    }
    void Disarm() {
        if (!id_) return;
        KillTimer(nullptr, id_);
        LiveTimers().erase(id_);
        id_ = 0;
    }

    std::uint32_t interval_;
    UINT_PTR id_ = 0;
    std::uint32_t dueTick_ = 0;
    TimerHandler handler_;
    EventErrorHandler onError_;
};

void CALLBACK TimerProc(HWND, UINT, UINT_PTR id, DWORD) {
    const auto found = LiveTimers().find(id);
    if (found != LiveTimers().end()) found->second->Fire(true);
}

}  // namespace

Win32MessageTimers::Win32MessageTimers(EventErrorHandler onError) : onError_(std::move(onError)) {}

std::unique_ptr<IMessageTimer> Win32MessageTimers::CreateTimer(std::uint32_t milliseconds, TimerHandler handler) {
    return std::make_unique<Win32Timer>(milliseconds, std::move(handler), onError_);
}

void Win32MessageTimers::ServeDue() {
    // A handler may re-arm, make or destroy timers: each id is looked up again.
    std::vector<UINT_PTR> ids;
    for (const auto& entry : LiveTimers()) ids.push_back(entry.first);
    for (UINT_PTR id : ids) {
        const auto found = LiveTimers().find(id);
        if (found != LiveTimers().end()) found->second->Fire(false);
    }
}

void Win32MessageTimers::ProcessMessages() {
    MSG msg;
    // Posted and sent messages and timers only: a paint is made anew for as long as a
    // window is invalid, and the saver's window, still asking for frames when its sound
    // stops during the run, would keep this loop from ever returning. Input the person
    // made stays queued for the loop.
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE | PM_QS_POSTMESSAGE | PM_QS_SENDMESSAGE)) {
        if (msg.message == WM_QUIT) {
            PostQuitMessage(static_cast<int>(msg.wParam));
            break;
        }
        // Only the back end's own business: a key or a move waiting here would start a
        // new end request (and the password dialog) while the saver shuts down.
        const bool input = (msg.message >= WM_KEYFIRST && msg.message <= WM_KEYLAST) ||
                           (msg.message >= WM_MOUSEFIRST && msg.message <= WM_MOUSELAST);
        if (input) continue;
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

}  // namespace vtl::win32
