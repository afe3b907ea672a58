// The ambience's three timers on the hack's loop timers, with a clock that starts 5 s
// before the tick count wraps: every event must come when it would anywhere else.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <map>
#include <vector>

#include "app/hack/loop_timers.h"
#include "platform/fake/fake_audio.h"
#include "platform/fake/fake_random.h"
#include "sound/qvsound.h"

namespace vtl {
namespace {

using ::testing::ElementsAreArray;

constexpr std::uint32_t kBeforeWrap = 0xFFFFFFFFu - 5000u + 1u;

class StepClock : public IClock {
public:
    std::uint32_t TickCount() override { return now; }
    std::uint32_t now = 0;
};

// Hands the loop timers' own timers to the sound system (its handler tells them apart
// by address) and writes down, per timer in creation order, when each call came.
class CallLog : public IMessageTimers {
public:
    CallLog(LoopTimers& inner, StepClock& clock, std::uint32_t start) : inner_(inner), clock_(clock), start_(start) {}
    std::unique_ptr<IMessageTimer> CreateTimer(std::uint32_t milliseconds, TimerHandler handler) override {
        const std::size_t index = calls.size();
        calls.emplace_back();
        return inner_.CreateTimer(milliseconds, [this, index, handler](IMessageTimer& sender) {
            calls[index].push_back(clock_.now - start_);
            handler(sender);
        });
    }
    void ProcessMessages() override { inner_.ProcessMessages(); }
    std::vector<std::vector<std::uint32_t>> calls;  // ms after the start

private:
    LoopTimers& inner_;
    StepClock& clock_;
    std::uint32_t start_;
};

struct AmbienceRun {
    std::vector<std::vector<std::uint32_t>> calls;
    float heliX = 0;
    std::size_t plays = 0;
};

// 30 s of ambience, the loop served every millisecond. The first street event is drawn
// 10 s after the start, the first near one 3 s after; later draws are all 0, so street
// events follow every 7 s and near ones every 5 s.
AmbienceRun RunAmbience(std::uint32_t start) {
    StepClock clock;
    clock.now = start;
    LoopTimers loop(clock, [](const std::exception& e) { ADD_FAILURE() << e.what(); });
    CallLog timers(loop, clock, start);
    FakeAudioWorld world;
    ScriptedRandom random;
    random.script = {49, 3000, 1000};
    AmbienceRun run;
    {
        TSoundSystem system({world.Factory(), &timers, &random}, "scratch");
        system.Start();
        for (std::uint32_t ms = 1; ms <= 30000; ++ms) {
            clock.now = start + ms;
            timers.ProcessMessages();
        }
        run.heliX = system.HeliX();
    }
    run.calls = timers.calls;
    for (const std::string& line : world.log) run.plays += line.find(" play ") != std::string::npos ? 1 : 0;
    return run;
}

std::vector<std::uint32_t> Every(std::uint32_t first, std::uint32_t step, std::uint32_t last) {
    std::vector<std::uint32_t> ticks;
    for (std::uint32_t t = first; t <= last; t += step) ticks.push_back(t);
    return ticks;
}

TEST(SoundTimersWrap, EventsComeOnTimeAcrossTheTickWrap) {
    const AmbienceRun reference = RunAmbience(0);
    ASSERT_EQ(reference.calls.size(), 3u);  // move, street, near
    EXPECT_THAT(reference.calls[0], ElementsAreArray(Every(kMoveInterval, kMoveInterval, 30000)));
    EXPECT_THAT(reference.calls[1], ElementsAreArray(Every(10000, 7000, 30000)));
    EXPECT_THAT(reference.calls[2], ElementsAreArray(Every(3000, 5000, 30000)));

    for (std::uint32_t start : {kBeforeWrap, 0xFFFFFFFFu, 0x7FFFFFFFu - 100u}) {
        SCOPED_TRACE(start);
        const AmbienceRun run = RunAmbience(start);
        EXPECT_EQ(run.calls, reference.calls);
        EXPECT_EQ(run.heliX, reference.heliX);  // the helicopter flew just as far
        EXPECT_EQ(run.plays, reference.plays);
    }
}

}  // namespace
}  // namespace vtl
