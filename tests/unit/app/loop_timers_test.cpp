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

}  // namespace
}  // namespace vtl
