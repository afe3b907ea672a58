#include "app/hack/frame_pacing.h"

namespace vtl {

bool FramePacer::TakeFrame(std::uint32_t now) {
    if (!Due(now)) return false;
    // How far the frame just taken is overdue, as an unsigned difference; a schedule
    // thrown ahead by a clock jump reads as hugely overdue and is started again.
    const std::uint64_t behind = static_cast<std::uint32_t>(now - next_);
    next_ = behind >= 2 * static_cast<std::uint64_t>(interval_) ? now + interval_ : next_ + interval_;
    return true;
}

}  // namespace vtl
