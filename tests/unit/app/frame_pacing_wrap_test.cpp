#include "app/hack/frame_pacing.h"

#include <gtest/gtest.h>

#include <vector>

namespace vtl {
namespace {

constexpr std::uint32_t kBeforeWrap = 0xFFFFFFFFu - 5000u + 1u;  // 5 s before the tick count wraps

// Runs a loop the way the hack does: sleep as long as the pacer allows (the clock moves
// by exactly that, plus `lag` after every frame for the paint), then ask for a frame.
// Returns the ticks at which frames were painted, relative to the start.
std::vector<std::uint32_t> PaintedFrames(std::uint32_t start, std::uint32_t interval, std::uint32_t runMs,
                                         std::uint32_t lag = 0) {
    FramePacer pacer(interval, start);
    std::vector<std::uint32_t> frames;
    std::uint32_t now = start;
    for (;;) {
        const std::uint32_t wait = pacer.WaitMs(now);
        if (wait > interval) {
            ADD_FAILURE() << "a wait of " << wait << " ms at " << now;
            break;
        }
        now += wait;
        if (now - start >= runMs) break;
        if (pacer.TakeFrame(now)) {
            frames.push_back(now - start);
            now += lag;
        } else if (wait == 0) {
            ADD_FAILURE() << "nothing to wait for and no frame at " << now;
            break;
        }
    }
    return frames;
}

TEST(FramePacingWrap, FramesKeepTheirPaceWhereverTheClockStarts) {
    const std::uint32_t starts[] = {0, kBeforeWrap, 0xFFFFFFFFu, 0x7FFFFFFFu, 0x80000000u};
    const std::uint32_t intervals[] = {1, 20, 100};
    for (std::uint32_t start : starts) {
        for (std::uint32_t interval : intervals) {
            SCOPED_TRACE(testing::Message() << "start " << start << ", interval " << interval);
            const std::vector<std::uint32_t> frames = PaintedFrames(start, interval, 10000);
            ASSERT_EQ(frames.size(), 10000u / interval);
            for (std::size_t i = 0; i < frames.size(); ++i) ASSERT_EQ(frames[i], i * interval) << "frame " << i;
        }
    }
}

TEST(FramePacingWrap, ASlowPaintKeepsTheScheduleAndAStallRestartsIt) {
    // A paint shorter than a frame leaves the frames on their grid, across the wrap.
    const std::vector<std::uint32_t> steady = PaintedFrames(kBeforeWrap, 20, 10000, 15);
    ASSERT_EQ(steady.size(), 500u);
    EXPECT_EQ(steady.back(), 499u * 20u);

    // A stall of 250 ms just before the wrap: one frame at once, then the count starts
    // again from there, without a burst of frames to catch up.
    FramePacer pacer(20, kBeforeWrap);
    std::uint32_t now = 0xFFFFFFF0u;
    ASSERT_TRUE(pacer.TakeFrame(now));
    now += 250;  // now lies past the wrap
    EXPECT_EQ(pacer.WaitMs(now), 0u);
    EXPECT_TRUE(pacer.TakeFrame(now));
    EXPECT_FALSE(pacer.TakeFrame(now));
    EXPECT_EQ(pacer.NextFrame(), now + 20u);
    EXPECT_EQ(pacer.WaitMs(now), 20u);
}

TEST(FramePacingWrap, TheFrameIsDueExactlyAtItsTickOnBothSidesOfTheWrap) {
    const struct {
        std::uint32_t next;  // the tick the next frame is due at
    } cases[] = {{0xFFFFFFFEu}, {0xFFFFFFFFu}, {0u}, {5u}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.next);
        FramePacer pacer(20, c.next - 20u);
        ASSERT_TRUE(pacer.TakeFrame(c.next - 20u));
        ASSERT_EQ(pacer.NextFrame(), c.next);
        EXPECT_EQ(pacer.WaitMs(c.next - 7u), 7u);
        EXPECT_FALSE(pacer.TakeFrame(c.next - 1u));
        EXPECT_TRUE(pacer.TakeFrame(c.next));
        EXPECT_EQ(pacer.NextFrame(), c.next + 20u);
    }
}

TEST(FramePacingWrap, AClockThatJumpedHalfItsRangeNeverSleepsForWeeks) {
    // A process held for more than 2^31 ms comes back to a schedule that seems to lie
    // far ahead: the frame is painted at once and the pace starts again.
    FramePacer pacer(20, kBeforeWrap);
    ASSERT_TRUE(pacer.TakeFrame(kBeforeWrap));
    const std::uint32_t back = kBeforeWrap + 0x90000000u;
    EXPECT_EQ(pacer.WaitMs(back), 0u);
    EXPECT_TRUE(pacer.TakeFrame(back));
    EXPECT_EQ(pacer.NextFrame(), back + 20u);
    EXPECT_FALSE(pacer.TakeFrame(back));
}

}  // namespace
}  // namespace vtl
