#include "app/hack/loop_timers.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

namespace vtl {
namespace {

class ManualClock : public IClock {
public:
    std::uint32_t TickCount() override { return now; }
    std::uint32_t now = 0;
};

class LoopTimersTest : public ::testing::Test {
protected:
    void RunTo(std::uint32_t tick) {
        clock.now = tick;
        timers.ProcessMessages();
    }
    ManualClock clock;
    std::vector<std::string> errors;
    std::vector<std::string> fired;
    LoopTimers timers{clock, [this](const std::exception& e) { errors.push_back(e.what()); }};
};

TEST_F(LoopTimersTest, FiresOncePerIntervalAndNeverCatchesUp) {
    auto timer = timers.CreateTimer(30, [this](IMessageTimer&) { fired.push_back("t"); });
    EXPECT_EQ(timers.MillisecondsToNextDue(1000), 30u);
    RunTo(29);
    EXPECT_TRUE(fired.empty());
    RunTo(30);
    EXPECT_EQ(fired.size(), 1u);
    RunTo(200);  // far behind: one call, and the next interval counts from now
    EXPECT_EQ(fired.size(), 2u);
    EXPECT_EQ(timers.MillisecondsToNextDue(1000), 30u);
    clock.now = 231;
    EXPECT_EQ(timers.MillisecondsToNextDue(1000), 0u);
}

TEST_F(LoopTimersTest, DueOrderAcrossTheTickWrap) {
    clock.now = 0xFFFFFFF0u;
    auto slow = timers.CreateTimer(40, [this](IMessageTimer&) { fired.push_back("slow"); });
    auto fast = timers.CreateTimer(20, [this](IMessageTimer&) { fired.push_back("fast"); });
    EXPECT_EQ(timers.MillisecondsToNextDue(1000), 20u);
    RunTo(0x00000030u);  // both due after the wrap, the earlier first
    EXPECT_EQ(fired, (std::vector<std::string>{"fast", "slow"}));
}

TEST_F(LoopTimersTest, IntervalChangesRestartOnlyWhenTheyChange) {
    auto timer = timers.CreateTimer(100, [this](IMessageTimer&) { fired.push_back("t"); });
    clock.now = 60;
    timer->SetInterval(100);  // same interval: the countdown goes on
    EXPECT_EQ(timers.MillisecondsToNextDue(1000), 40u);
    timer->SetInterval(50);  // a new one counts from now
    EXPECT_EQ(timers.MillisecondsToNextDue(1000), 50u);
    EXPECT_EQ(timer->Interval(), 50u);
}

TEST_F(LoopTimersTest, AHandlerMayDestroyAnotherTimerOrFailWithoutStoppingItsOwn) {
    std::unique_ptr<IMessageTimer> second;
    auto first = timers.CreateTimer(10, [&](IMessageTimer&) {
        fired.push_back("first");
        second.reset();
        throw std::runtime_error("boom");
    });
    second = timers.CreateTimer(10, [this](IMessageTimer&) { fired.push_back("second"); });
    RunTo(10);
    RunTo(20);
    EXPECT_EQ(fired, (std::vector<std::string>{"first", "first"}));
    EXPECT_EQ(errors, (std::vector<std::string>{"boom", "boom"}));
    first.reset();
    EXPECT_EQ(timers.MillisecondsToNextDue(1000), 1000u);
}

TEST_F(LoopTimersTest, EveryIntervalKeepsItsPaceAcrossTheTickWrap) {
    // Started 5 s before the wrap and run 1 ms at a time for 12 s: each timer fires
    // exactly one interval after its last call, on both sides of the wrap.
    constexpr std::uint32_t kStart = 0xFFFFFFFFu - 5000u + 1u;
    const std::uint32_t intervals[] = {1, 30, 999, 5000, 7000};
    for (std::uint32_t interval : intervals) {
        SCOPED_TRACE(interval);
        clock.now = kStart;
        std::vector<std::uint32_t> at;
        auto timer = timers.CreateTimer(interval, [&](IMessageTimer&) { at.push_back(clock.now - kStart); });
        for (std::uint32_t step = 1; step <= 12000; ++step) {
            RunTo(kStart + step);
            ASSERT_LE(timers.MillisecondsToNextDue(100000), interval);
        }
        ASSERT_EQ(at.size(), 12000u / interval);
        for (std::size_t i = 0; i < at.size(); ++i) ASSERT_EQ(at[i], (i + 1) * interval) << "call " << i;
    }
}

TEST_F(LoopTimersTest, WaitAndDueRightAtTheWrap) {
    const struct {
        std::uint32_t created, interval, now, wait;  // wait 0: due
    } cases[] = {
        {0xFFFFFFF6u, 10, 0xFFFFFFFFu, 1},  {0xFFFFFFF6u, 10, 0x00000000u, 0},
        {0xFFFFFFF6u, 20, 0x00000000u, 10}, {0xFFFFFFFFu, 1, 0x00000000u, 0},
        {0x7FFFFFFFu, 10, 0x80000008u, 1},  {0x00000000u, 0x80000000u, 5, 0x7FFFFFFBu},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.created << " + " << c.interval << " at " << c.now);
        clock.now = c.created;
        int calls = 0;
        auto timer = timers.CreateTimer(c.interval, [&](IMessageTimer&) { ++calls; });
        clock.now = c.now;
        EXPECT_EQ(timers.MillisecondsToNextDue(0xFFFFFFFFu), c.wait);
        timers.ProcessMessages();
        EXPECT_EQ(calls, c.wait == 0 ? 1 : 0);
    }
}

TEST_F(LoopTimersTest, ALoopHeldForHalfTheTickRangeStillFires) {
    // Measured from its start, a countdown that ran out long ago is due, however far the
    // clock moved meanwhile (a due tick compared by signed distance would wait weeks).
    clock.now = 0xFFFFFFF0u;
    auto timer = timers.CreateTimer(30, [this](IMessageTimer&) { fired.push_back("t"); });
    clock.now = 0xFFFFFFF0u + 0x90000000u;
    EXPECT_EQ(timers.MillisecondsToNextDue(1000), 0u);
    timers.ProcessMessages();
    EXPECT_EQ(fired.size(), 1u);
    EXPECT_EQ(timers.MillisecondsToNextDue(1000), 30u);
}

}  // namespace
}  // namespace vtl
