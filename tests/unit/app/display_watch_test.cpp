#include "app/common/display_watch.h"

#include <gtest/gtest.h>

namespace vtl {
namespace {

class FakeClock : public IClock {
public:
    std::uint32_t now = 0;
    std::uint32_t TickCount() override { return now; }
};

TEST(DisplayWatch, OnlyAMonitorThatIsOffPausesAndEachReportSaysWhatChanged) {
    struct Step {
        DisplayPower power;
        bool paused;
        bool changed;
    };
    const Step steps[] = {
        {DisplayPower::On, false, false}, {DisplayPower::Dimmed, false, false}, {DisplayPower::Off, true, true},
        {DisplayPower::Off, true, false}, {DisplayPower::Dimmed, false, true},  {DisplayPower::Off, true, true},
        {DisplayPower::On, false, true},
    };
    DisplayWatch watch(20);
    std::uint32_t now = 1000;
    for (const Step& step : steps) {
        const DisplayWatch::Change change = watch.SetDisplay(step.power, now += 500);
        EXPECT_EQ(watch.Paused(), step.paused) << static_cast<int>(step.power) << " at " << now;
        EXPECT_EQ(change.paused, step.changed) << static_cast<int>(step.power) << " at " << now;
        EXPECT_FALSE(change.interval);
        EXPECT_EQ(watch.FrameInterval(), 20u);
    }
}

TEST(DisplayWatch, ALowBatteryHalvesTheFrameRateAndNothingElseDoes) {
    struct Case {
        PowerSource source;
        std::uint32_t interval;
    };
    const Case cases[] = {
        {{false, 5}, 20},   // on mains, however empty the battery
        {{true, -1}, 20},   // on battery, charge unknown
        {{true, 20}, 20},   // at the limit
        {{true, 19}, 40},   // just below it
        {{true, 0}, 40},    //
        {{true, 100}, 20},  //
        {{false, -1}, 20},  // no battery at all
    };
    for (const Case& c : cases) {
        DisplayWatch watch(20);
        const DisplayWatch::Change change = watch.SetPowerSource(c.source);
        EXPECT_EQ(watch.FrameInterval(), c.interval) << c.source.onBattery << " " << c.source.batteryPercent;
        EXPECT_EQ(change.interval, c.interval != 20u);
        EXPECT_FALSE(change.paused);
        EXPECT_FALSE(watch.Paused());
    }
    // Back on mains: full rate again, said as a change once.
    DisplayWatch watch(16);
    watch.SetPowerSource({true, 10});
    EXPECT_TRUE(watch.SetPowerSource({false, 10}).interval);
    EXPECT_FALSE(watch.SetPowerSource({false, 11}).interval);
    EXPECT_EQ(watch.FrameInterval(), 16u);
}

TEST(DisplayWatch, SceneTimeStandsStillWhilePausedAndGoesOnFromWhereItWas) {
    for (const std::uint32_t start : {0u, 0xFFFFFFFFu - 1500u}) {  // also across the tick count's wrap
        FakeClock clock;
        clock.now = start;
        DisplayWatch watch(20);
        SceneClock scene(clock, watch);
        clock.now += 1000;
        EXPECT_EQ(scene.TickCount(), start + 1000);
        watch.SetDisplay(DisplayPower::Off, clock.now);
        clock.now += 600000;  // ten minutes with the monitor off
        EXPECT_EQ(scene.TickCount(), start + 1000) << "frozen while paused";
        watch.SetDisplay(DisplayPower::On, clock.now);
        EXPECT_EQ(scene.TickCount(), start + 1000) << "no jump on resuming";
        clock.now += 40;
        EXPECT_EQ(scene.TickCount(), start + 1040);
        // A second pause adds to the first.
        watch.SetDisplay(DisplayPower::Off, clock.now);
        clock.now += 5000;
        watch.SetDisplay(DisplayPower::On, clock.now);
        clock.now += 10;
        EXPECT_EQ(scene.TickCount(), start + 1050);
    }
}

TEST(DisplayWatch, AZeroIntervalIsTakenAsTheShortestThereIs) {
    DisplayWatch watch(0);
    EXPECT_EQ(watch.FrameInterval(), 1u);
    watch.SetPowerSource({true, 3});
    EXPECT_EQ(watch.FrameInterval(), 2u);
}

}  // namespace
}  // namespace vtl
