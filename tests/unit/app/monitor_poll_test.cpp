#include "app/hack/monitor_poll.h"

#include <gtest/gtest.h>

#include <vector>

namespace vtl {
namespace {

struct Server {
    std::optional<DisplayPower> power = DisplayPower::On;
    int asked = 0;
    MonitorPoll::Query Query() {
        return [this] {
            ++asked;
            return power;
        };
    }
};

TEST(MonitorPoll, AsksAtOnceAndThenOnceASecondWhateverTheLoopDoes) {
    for (const std::uint32_t start : {5000u, 0xFFFFFFFFu - 300u}) {  // also across the tick count's wrap
        Server server;
        DisplayWatch watch(20);
        MonitorPoll poll(server.Query(), watch, start);
        EXPECT_EQ(server.asked, 1);
        EXPECT_EQ(poll.WaitMs(start), 1000u);
        // A loop that wakes every 20 ms for frames asks no more often.
        for (std::uint32_t t = 20; t < 1000; t += 20) {
            EXPECT_FALSE(poll.Poll(start + t));
            EXPECT_EQ(poll.WaitMs(start + t), 1000u - t);
        }
        EXPECT_EQ(server.asked, 1);
        EXPECT_EQ(poll.WaitMs(start + 1000), 0u);
        poll.Poll(start + 1000);
        EXPECT_EQ(server.asked, 2);
        // A loop that slept long asks once, not once per missed second.
        poll.Poll(start + 9000);
        EXPECT_EQ(server.asked, 3);
        EXPECT_EQ(poll.WaitMs(start + 9000), 1000u);
    }
}

TEST(MonitorPoll, TheServersAnswerPausesAndResumesTheWatch) {
    Server server;
    server.power = DisplayPower::Off;
    DisplayWatch watch(20);
    MonitorPoll poll(server.Query(), watch, 0);
    EXPECT_TRUE(watch.Paused()) << "a saver started on a dark monitor never draws";
    struct Step {
        std::optional<DisplayPower> power;
        bool flipped, paused;
    };
    const Step steps[] = {
        {DisplayPower::Off, false, true},     {DisplayPower::On, true, false}, {DisplayPower::On, false, false},
        {DisplayPower::Off, true, true},      {std::nullopt, true, false},     {std::nullopt, false, false},
        {DisplayPower::Dimmed, false, false},
    };
    std::uint32_t now = 0;
    for (const Step& step : steps) {
        server.power = step.power;
        EXPECT_EQ(poll.Poll(now += 1000), step.flipped) << now;
        EXPECT_EQ(watch.Paused(), step.paused) << now;
    }
}

}  // namespace
}  // namespace vtl
