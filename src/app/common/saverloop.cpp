#include "app/common/saverloop.h"

#include <algorithm>
#include <cstdlib>

namespace vtl {

void SaverController::OnMouseMove(ScreenPoint cursor) {
    if (!start_) {
        start_ = cursor;
        return;
    }
    const auto dx = std::llabs(static_cast<long long>(cursor.x) - start_->x);
    const auto dy = std::llabs(static_cast<long long>(cursor.y) - start_->y);
    if (dx > kMouseTolerance || dy > kMouseTolerance) RequestEnd();
}

void SaverController::RequestEnd() {
    if (endPending_) return;
    endPending_ = true;
    if (host_.VerifyPassword()) {
        // EndPending stays set: nothing afterwards can start a second request.
        saverActive_ = false;
        host_.StopFrameTimer();
        host_.ShowCursor();
        host_.PostQuit();
    } else if (!host_.StartUnblockTimer()) {
        // Without the timer nothing would ever unblock input, and no key or move could
        // end the saver again: input is unblocked at once instead.
        endPending_ = false;
    }
}

void SaverController::OnHandlerError() {
    if (saverActive_) {
        saverActive_ = false;
        host_.StopFrameTimer();
    }
    if (endPending_) {
        endPending_ = false;
        return;
    }
    RequestEnd();
}

std::uint32_t FrameTimerDelayMs(std::int32_t timingFps) {
    return static_cast<std::uint32_t>(1000 / std::clamp(timingFps, 10, 1000));
}

}  // namespace vtl
