#pragma once
// The rules of the running saver: when an input is an end request, when frames may
// be painted, and what an accepted or refused password leaves behind. The Windows
// window procedure only translates messages into these calls.
#include <atomic>
#include <cstdint>
#include <optional>

namespace vtl {

// What the rules ask of the host while deciding an end request.
class ISaverHost {
public:
    virtual ~ISaverHost() = default;
    virtual bool VerifyPassword() = 0;  // true: the saver may end
    virtual void StopFrameTimer() = 0;
    virtual void ShowCursor() = 0;  // one increment of the display counter
    virtual void PostQuit() = 0;
    // 100 ms, then UnblockInput(); false when no timer could be started.
    virtual bool StartUnblockTimer() = 0;
};

struct ScreenPoint {
    std::int32_t x = 0, y = 0;
};

class SaverController {
public:
    static constexpr int kMouseTolerance = 10;  // pixels in x or in y

    // No start position (the cursor could not be read when the saver started): the
    // first reported position becomes the start, so an unreadable cursor never counts
    // as a move from (0, 0).
    SaverController(ISaverHost& host, std::optional<ScreenPoint> startCursorPos)
        : host_(host), start_(startCursorPos) {}

    void Start() { saverActive_ = true; }
    // `activeState` is the low word of the activation message: only a plain
    // activation (1) lets frames paint; a click activation (2) or deactivation do not.
    void OnActivate(std::uint32_t activeState) { saverActive_ = activeState == 1; }
    bool SaverActive() const { return saverActive_; }
    bool EndPending() const { return endPending_; }

    void OnKey() { RequestEnd(); }
    void OnMouseMove(ScreenPoint cursor);  // the cursor in screen coordinates
    void OnClose() { RequestEnd(); }
    // Called on the timer service's thread: clears the one-byte flag only.
    void UnblockInput() { endPending_ = false; }

    void RequestEnd();

    // An error was raised while a message was handled; it is shown when the run ends.
    // Frames stop (the next one would raise it again), and the run ends the way any
    // run ends: through the password in force, never around it. An error raised while
    // a request was being decided (inside the password check) is not asked about
    // again at once; input is unblocked, so the next key or move asks.
    void OnHandlerError();

private:
    ISaverHost& host_;
    std::optional<ScreenPoint> start_;
    std::atomic<bool> saverActive_{false};  // read by the frame timer's thread too
    std::atomic<bool> endPending_{false};
};

// The frame timer's period for a TimingFPS value. Values outside 10..1000, which only
// come from outside the program, are brought into that range: 0 or less would divide
// by zero and more than 1000 gives a 0 ms period the timer service refuses.
std::uint32_t FrameTimerDelayMs(std::int32_t timingFps);

}  // namespace vtl
