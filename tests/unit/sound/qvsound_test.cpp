#include "sound/qvsound.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "pack/assetnames.h"
#include "platform/fake/fake_audio.h"
#include "platform/fake/fake_random.h"
#include "platform/fake/fake_timers.h"

namespace vtl {
namespace {

using ::testing::ElementsAre;

// Channels in the order the system makes them.
constexpr std::size_t kBackground = 0, kHelicopter = 1, kStreet = 2, kNear = 3;
// Timers in the order the system makes them.
constexpr std::size_t kMove = 0, kStreetTimer = 1, kNearTimer = 2;

const std::string kFolder = "scratch";

// Sample names as they appear inside the fake's log lines.
const std::string kBackgroundWav = kBackgroundLoopFile, kHelicopterWav = kHelicopterLoopFile;
const std::string kStreet1Wav = kStreet1File, kNear1Wav = kNear1File;

std::string PathOf(const std::string& name) {
#ifdef _WIN32
    return kFolder + "\\" + name;
#else
    return kFolder + "/" + name;
#endif
}

std::vector<std::string> After(const std::vector<std::string>& log, std::size_t from) {
    return {log.begin() + static_cast<std::ptrdiff_t>(std::min(from, log.size())), log.end()};
}

class SoundSystemTest : public ::testing::Test {
protected:
    FakeAudioWorld world;
    FakeTimers timers{&world.log};
    ScriptedRandom random;
    std::unique_ptr<TSoundSystem> system;

    SoundServices Services() { return {world.Factory(), &timers, &random}; }

    // Starts a system whose start draws (helicopter x, street and near intervals) are given.
    void StartWith(double heli, double street, double nearDraw) {
        random.script = {heli, street, nearDraw};
        system = std::make_unique<TSoundSystem>(Services(), kFolder);
        system->Start();
        random.draws.clear();
    }
    // The timers of the latest system (earlier ones stay in the fake, dead).
    const FakeTimers::Record& Timer(std::size_t index) { return timers.At(timers.Count() - 3 + index); }
    void Fire(std::size_t timer) { system->TimerEvent(*Timer(timer).timer); }
    const FakeChannelState& Channel(std::size_t index) { return world.channels.at(index); }
};

TEST(SampleTables, ADrawPicksTheFirstRowWhoseThresholdIsAboveIt) {
    struct Case {
        std::int32_t r;
        const char* street;
        const char* nearFile;
    };
    const Case cases[] = {
        {0, kStreet1File, kNear1File},  {13, kStreet1File, kNear1File}, {14, kStreet1File, kNear2File},
        {24, kStreet1File, kNear2File}, {25, kStreet1File, kNear3File}, {29, kStreet1File, kNear3File},
        {30, kStreet2File, kNear3File}, {49, kStreet2File, kNear3File}, {50, kStreet3File, kNear3File},
        {69, kStreet3File, kNear3File}, {70, kStreet4File, kNear3File}, {99, kStreet4File, kNear3File},
    };
    for (const Case& c : cases) {
        EXPECT_STREQ(PickSample(StreetSamples, c.r).FileName, c.street) << "r = " << c.r;
        EXPECT_STREQ(PickSample(NearSamples, c.r).FileName, c.nearFile) << "r = " << c.r;
    }
}

TEST(HelicopterSweep, TurnsOnlyStrictlyBeyondEitherEdge) {
    const float aboveTop = std::nextafter(25.0f, 26.0f);
    const float belowBottom = std::nextafter(-25.0f, -26.0f);
    struct Case {
        float x, step;
        float wantX, wantStep;
        bool turned;
    };
    const Case cases[] = {
        {25.0f, 0.0f, 25.0f, 0.0f, false},  // exactly on the edge stays
        {-25.0f, 0.0f, -25.0f, 0.0f, false},
        {aboveTop, 0.0f, aboveTop - 0.02f, -0.02f, true},
        {belowBottom, 0.0f, belowBottom + 0.02f, 0.02f, true},
        {24.99f, 0.02f, 24.99f + 0.02f - 0.02f, -0.02f, true},
        {-25.0f, 0.02f, -24.98f, 0.02f, false},  // the lowest start value moves inwards
        {-24.99f, -0.02f, -24.99f - 0.02f + 0.02f, 0.02f, true},
    };
    for (const Case& c : cases) {
        const HeliMove move = MoveHelicopter(c.x, c.step);
        EXPECT_FLOAT_EQ(move.x, c.wantX) << c.x << " " << c.step;
        EXPECT_FLOAT_EQ(move.step, c.wantStep) << c.x << " " << c.step;
        EXPECT_EQ(move.turned, c.turned) << c.x << " " << c.step;
    }
}

TEST_F(SoundSystemTest, CreateMakesOnlyTheAudioBackEnd) {
    system = std::make_unique<TSoundSystem>(Services(), kFolder);
    EXPECT_THAT(world.log, ElementsAre("audio create"));
    EXPECT_EQ(timers.Count(), 0u);
    EXPECT_TRUE(random.draws.empty());
}

TEST_F(SoundSystemTest, StartBuildsChannelsLoopsAndTimersInOrder) {
    random.script = {49, 100, 200};
    system = std::make_unique<TSoundSystem>(Services(), kFolder);
    system->Start();
    EXPECT_THAT(
        world.log,
        ElementsAre("audio create", "ch1 create", "load " + PathOf(kBackgroundLoopFile), "ch2 create",
                    "load " + PathOf(kHelicopterLoopFile), "ch1 download " + kBackgroundWav,
                    "ch2 download " + kHelicopterWav, "ch1 volume -700", "ch2 volume 0", "ch2 doppler 7",
                    "segment " + kBackgroundWav + " repeats forever", "segment " + kHelicopterWav + " repeats forever",
                    "timer1 create 30", "ch3 create", "timer2 create 7100", "ch4 create", "timer3 create 2200",
                    "ch1 play " + kBackgroundWav, "ch2 play " + kHelicopterWav));
    EXPECT_THAT(random.draws, ElementsAre("Randomize", "Random(50)", "Random(8000)", "Random(5000)"));
    EXPECT_THAT(Channel(kHelicopter).position, ElementsAre(24.0f, 1.0f, 0.0f));
    EXPECT_THAT(Channel(kHelicopter).velocity, ElementsAre(5.0f, 0.0f, 0.0f));
    EXPECT_EQ(Channel(kBackground).playingRepeats, kRepeatForever);
    // Nothing of the street and near channels is set before their first event.
    EXPECT_THAT(Channel(kStreet).position, ElementsAre(0.0f, 0.0f, 0.0f));
    EXPECT_EQ(Channel(kNear).volume, 0);
}

TEST_F(SoundSystemTest, StartIntervalsSpanTheirWholeRanges) {
    struct Case {
        double street, nearDraw;
        std::uint32_t wantStreet, wantNear;
    };
    for (const Case& c : {Case{0, 0, 7000, 2000}, Case{7999, 4999, 14999, 6999}}) {
        FakeAudioWorld w;
        FakeTimers t;
        ScriptedRandom r;
        r.script = {0, c.street, c.nearDraw};
        TSoundSystem s({w.Factory(), &t, &r}, kFolder);
        s.Start();
        EXPECT_EQ(t.At(kMove).interval, 30u);
        EXPECT_EQ(t.At(kStreetTimer).interval, c.wantStreet);
        EXPECT_EQ(t.At(kNearTimer).interval, c.wantNear);
    }
}

TEST_F(SoundSystemTest, StreetEventDrawsInOrderAndOnlyStreet2DrawsRepeats) {
    struct Case {
        std::vector<double> script;
        const char* file;
        std::vector<std::string> draws;
        std::uint32_t repeats;
    };
    const std::vector<std::string> plain = {"Random(100)", "Random()", "Random()", "Random(7000)"};
    const std::vector<std::string> withRepeat = {"Random(100)", "Random()", "Random()", "Random()", "Random(7000)"};
    const Case cases[] = {
        {{29, 0.75, 0.1, 123}, kStreet1File, plain, 0},
        {{30, 0.2499, 0.75, 0.1, 123}, kStreet2File, withRepeat, 2},
        {{49, 0.25, 0.75, 0.1, 123}, kStreet2File, withRepeat, 0},  // a quarter exactly keeps one play
        {{50, 0.75, 0.1, 123}, kStreet3File, plain, 0},
        {{99, 0.75, 0.1, 123}, kStreet4File, plain, 0},
    };
    for (const Case& c : cases) {
        world = FakeAudioWorld{};
        StartWith(0, 0, 0);
        random.script.assign(c.script.begin(), c.script.end());
        const std::size_t mark = world.log.size();
        Fire(kStreetTimer);
        EXPECT_EQ(random.draws, c.draws) << c.file;
        EXPECT_EQ(Channel(kStreet).playing, c.file);
        EXPECT_EQ(Channel(kStreet).playingRepeats, c.repeats) << c.file;
        EXPECT_THAT(Channel(kStreet).position, ElementsAre(1.0f, -0.4f, 0.0f));
        EXPECT_EQ(Timer(kStreetTimer).interval, 7123u);
        const auto events = After(world.log, mark);
        EXPECT_EQ(events.front(), "load " + PathOf(c.file));
        EXPECT_EQ(events.back(), "timer" + std::to_string(timers.Count() - 1) + " interval 7123");
        EXPECT_EQ(events[events.size() - 2], std::string("ch3 play ") + c.file);
        system.reset();
    }
}

TEST_F(SoundSystemTest, StreetPositionCoversItsSquare) {
    StartWith(0, 0, 0);
    random.script = {0, 0.0, 0.0, 0};
    Fire(kStreetTimer);
    EXPECT_THAT(Channel(kStreet).position, ElementsAre(-2.0f, -0.5f, 0.0f));
    random.script = {0, 0.999999, 0.999999, 6999};
    Fire(kStreetTimer);
    EXPECT_NEAR(Channel(kStreet).position[0], 2.0f, 1e-5);
    EXPECT_NEAR(Channel(kStreet).position[1], 0.5f, 1e-5);
    EXPECT_EQ(Timer(kStreetTimer).interval, 13999u);
}

TEST_F(SoundSystemTest, NearEventPicksPlaysAtTheListenerAndReschedules) {
    struct Case {
        double r;
        const char* file;
        double next;
        std::uint32_t interval;
    };
    for (const Case& c : {Case{13, kNear1File, 0, 5000}, Case{14, kNear2File, 1999, 6999},
                          Case{24, kNear2File, 7, 5007}, Case{25, kNear3File, 7, 5007}}) {
        world = FakeAudioWorld{};
        StartWith(0, 0, 0);
        random.script = {c.r, c.next};
        const std::size_t mark = world.log.size();
        Fire(kNearTimer);
        EXPECT_THAT(random.draws, ElementsAre("Random(100)", "Random(2000)"));
        const std::string name = c.file;
        EXPECT_THAT(After(world.log, mark),
                    ElementsAre("load " + PathOf(name), "segment " + name + " repeats 0", "ch4 download " + name,
                                "ch4 play " + name,
                                "timer" + std::to_string(timers.Count()) + " interval " + std::to_string(c.interval)));
        EXPECT_THAT(Channel(kNear).position, ElementsAre(0.0f, 0.0f, 0.0f));
        system.reset();
    }
}

TEST_F(SoundSystemTest, ANewSampleReplacesTheChannelsPreviousOne) {
    StartWith(0, 0, 0);
    random.script = {0, 0.5, 0.5, 0};
    Fire(kStreetTimer);
    random.script = {99, 0.5, 0.5, 0};
    const std::size_t mark = world.log.size();
    Fire(kStreetTimer);
    const auto events = After(world.log, mark);
    EXPECT_EQ(events.front(), "segment " + kStreet1Wav + " destroy");
    EXPECT_EQ(Channel(kStreet).playing, kStreet4File);
    EXPECT_EQ(world.liveSegments, 3);  // the two loops and the current street sample
}

TEST_F(SoundSystemTest, FirstEventsComeWhenTheirStartIntervalsEnd) {
    StartWith(0, 7999, 4999);  // street after 14999 ms, near after 6999 ms
    auto loads = [&](const char* prefix) {
        return std::count_if(world.log.begin(), world.log.end(), [&](const std::string& e) {
            return e.rfind("load ", 0) == 0 && e.find(prefix) != std::string::npos;
        });
    };
    timers.Advance(6998);
    EXPECT_EQ(loads("Near"), 0);
    timers.Advance(1);
    EXPECT_EQ(loads("Near"), 1);
    timers.Advance(14998 - 6999);
    EXPECT_EQ(loads("Street"), 0);
    timers.Advance(1);
    EXPECT_EQ(loads("Street"), 1);
    // The move timer ran every 30 ms all along.
    EXPECT_EQ(timers.At(kMove).fired, 14999 / 30);
}

TEST_F(SoundSystemTest, HelicopterSweepsBetweenTheEdgesWithMatchingVelocity) {
    StartWith(49, 0, 0);  // x = 24, moving right
    float maxX = -100, minX = 100;
    int turns = 0;
    float lastVelocity = 5;
    // A little more than one full crossing from 24 to the right edge and back to the left.
    for (int tick = 0; tick < 2600; ++tick) {
        const float before = system->HeliX();
        Fire(kMove);
        const float x = Channel(kHelicopter).position[0];
        ASSERT_EQ(x, system->HeliX());
        ASSERT_EQ(Channel(kHelicopter).position[1], 1.0f);
        maxX = std::max(maxX, x);
        minX = std::min(minX, x);
        const float velocity = Channel(kHelicopter).velocity[0];
        // The velocity always points the way the helicopter moves; on a turning tick
        // it stays where it was.
        if (velocity != lastVelocity) {
            ++turns;
            ASSERT_NEAR(x, before, 1e-4) << "tick " << tick;
        } else {
            ASSERT_EQ(velocity > 0, x > before) << "tick " << tick;
        }
        lastVelocity = velocity;
    }
    EXPECT_LE(maxX, 25.0f);
    EXPECT_GE(minX, -25.0f);
    EXPECT_LT(minX, -24.9f);
    EXPECT_EQ(turns, 2);
}

TEST_F(SoundSystemTest, DestroyStopsThenReleasesSegmentsChannelsAudioAndTimers) {
    StartWith(0, 0, 0);
    random.script = {0, 0.5, 0.5, 0};
    Fire(kStreetTimer);
    random.script = {0, 0};
    Fire(kNearTimer);
    const std::size_t mark = world.log.size();
    system.reset();
    EXPECT_THAT(After(world.log, mark),
                ElementsAre("stop all", "ch1 stop", "ch2 stop", "ch3 stop", "ch4 stop",
                            "segment " + kBackgroundWav + " destroy", "segment " + kHelicopterWav + " destroy",
                            "segment " + kStreet1Wav + " destroy", "segment " + kNear1Wav + " destroy", "ch1 destroy",
                            "ch2 destroy", "ch3 destroy", "ch4 destroy", "audio destroy", "timer1 destroy",
                            "timer2 destroy", "timer3 destroy"));
}

TEST_F(SoundSystemTest, AFailedStartRaisesAndLeavesAPartlyBuiltSystemThatDestroysCleanly) {
    struct Case {
        int failChannel;
        const char* failFile;
        std::string message;
        std::size_t channels, timersMade;
    };
    const Case cases[] = {
        {1, nullptr, "Cannot create performance object", 0, 0},
        {0, kBackgroundLoopFile, "Cannot create segment object from file " + PathOf(kBackgroundLoopFile), 1, 0},
        {2, nullptr, "Cannot create performance object", 1, 0},
        {0, kHelicopterLoopFile, "Cannot create segment object from file " + PathOf(kHelicopterLoopFile), 2, 0},
        {3, nullptr, "Cannot create performance object", 2, 1},
        {4, nullptr, "Cannot create performance object", 3, 2},
    };
    for (const Case& c : cases) {
        FakeAudioWorld w;
        w.failPerformanceNumber = c.failChannel;
        if (c.failFile) w.failingFiles.insert(c.failFile);
        FakeTimers t(&w.log);
        ScriptedRandom r;
        auto s = std::make_unique<TSoundSystem>(SoundServices{w.Factory(), &t, &r}, kFolder);
        try {
            s->Start();
            ADD_FAILURE() << "no error for " << c.message;
        } catch (const EDirectAudio& e) {
            EXPECT_EQ(e.what(), c.message);
        }
        EXPECT_EQ(w.channels.size(), c.channels) << c.message;
        EXPECT_EQ(t.Count(), c.timersMade) << c.message;
        s.reset();
        EXPECT_EQ(w.liveAudios, 0);
        EXPECT_EQ(w.liveSegments, 0);
        EXPECT_EQ(t.LiveCount(), 0u);
    }
}

TEST_F(SoundSystemTest, ASampleThatFailsToLoadIsReportedOnceAndSilencesTheSystem) {
    world.failingFiles.insert(kStreet3File);
    StartWith(0, 0, 0);  // street at 7000, near at 2000
    timers.onError = [&](const std::exception& e) { timers.errors.push_back(e.what()); };
    // Near at 2000 (Random(100)=0 -> Near1, next 5000 -> 7000).
    random.script = {0, 0};
    timers.Advance(2000);
    EXPECT_EQ(Channel(kNear).playing, kNear1File);
    // Street at 7000 first (created before the near timer): r=50 -> Street3, which fails.
    random.script = {50, 0, 0, 0, 0, 0};
    const std::size_t mark = world.log.size();
    timers.Advance(5000);
    ASSERT_THAT(timers.errors, ElementsAre("Cannot create segment object from file " + PathOf(kStreet3File)));
    EXPECT_TRUE(system->Failed());
    // Everything stopped with the failure; the near event of the same moment did not run.
    const auto events = After(world.log, mark);
    EXPECT_EQ(std::count(events.begin(), events.end(), "stop all"), 1);
    EXPECT_EQ(std::count(events.begin(), events.end(), "ch4 play " + kNear1Wav), 0);
    for (std::size_t channel : {kBackground, kHelicopter, kStreet, kNear})
        EXPECT_EQ(Channel(channel).playing, "") << "channel " << channel;
    // Nothing afterwards: no second error, no load, no sound, a helicopter that holds still.
    const float x = system->HeliX();
    const std::size_t quiet = world.log.size();
    random.script = {0, 0, 99, 0.5, 0.5, 0, 0, 0};
    timers.Advance(60000);
    EXPECT_EQ(timers.errors.size(), 1u);
    EXPECT_EQ(system->HeliX(), x);
    EXPECT_EQ(world.log.size(), quiet);
    // A pause and a resume do not bring a failed system back.
    system->Pause();
    system->Resume();
    EXPECT_EQ(Channel(kBackground).playing, "");
}

TEST_F(SoundSystemTest, APauseStopsEveryChannelAndHoldsTheEventsUntilResumed) {
    StartWith(0, 0, 0);  // street at 7000, near at 2000
    timers.Advance(300);
    const float x = system->HeliX();
    system->Pause();
    EXPECT_TRUE(system->Paused());
    EXPECT_FALSE(Timer(kMove).alive) << "no wake-ups for a helicopter that holds still";
    for (std::size_t channel : {kBackground, kHelicopter, kStreet, kNear})
        EXPECT_EQ(Channel(channel).playing, "") << "channel " << channel;
    const std::size_t mark = world.log.size();
    random.script = {0, 0, 0, 0, 0, 0};
    timers.Advance(20000);  // both events fall due while paused
    EXPECT_EQ(world.log.size(), mark) << "nothing loads or plays while paused";
    EXPECT_EQ(system->HeliX(), x) << "the helicopter holds still";
    system->Pause();  // twice changes nothing
    EXPECT_EQ(world.log.size(), mark);

    system->Resume();
    EXPECT_FALSE(system->Paused());
    EXPECT_THAT(After(world.log, mark),
                ElementsAre("timer4 create 30", "ch1 play " + kBackgroundWav, "ch2 play " + kHelicopterWav));
    EXPECT_EQ(Channel(kBackground).playingRepeats, 0xFFFFFFFFu);
    system->Resume();  // twice plays nothing again
    EXPECT_EQ(world.log.size(), mark + 3);
    // The sweep continues from where it stopped, and the events come again.
    timers.Advance(30);
    EXPECT_FLOAT_EQ(system->HeliX(), x + kHeliStep);
    random.script = {0, 0, 0, 0, 0, 0};
    timers.Advance(7000);
    EXPECT_NE(Channel(kNear).playing, "");
    EXPECT_NE(Channel(kStreet).playing, "");
}

// The global procedures, with the pack hooks logging into the same log.
class SoundLifecycleTest : public SoundSystemTest {
protected:
    int unpacks = 0;
    bool failUnpack = false;

    void SetUp() override {
        SoundHost host;
        host.services = Services();
        host.unpackToTemp = [this](const std::string& pack) {
            ++unpacks;
            world.log.push_back("unpack " + pack);
            if (failUnpack) throw EFOpenError("Cannot open file " + pack);
            return kFolder;
        };
        host.clearFolder = [this](const std::string& folder) { world.log.push_back("clear " + folder); };
        SetSoundHost(std::move(host));
    }
    void TearDown() override {
        StopSound();
        SetSoundHost({});
    }
};

TEST_F(SoundLifecycleTest, StartTwiceMakesOneSystemAndStopClearsTheFolderTwice) {
    StartSound();
    StartSound();
    ASSERT_NE(SoundSystem(), nullptr);
    EXPECT_EQ(unpacks, 1);
    EXPECT_EQ(world.liveAudios, 1);
    EXPECT_EQ(SoundScratchFolder(), kFolder);
    const std::size_t mark = world.log.size();
    StopSound();
    EXPECT_EQ(SoundSystem(), nullptr);
    const auto events = After(world.log, mark);
    ASSERT_GE(events.size(), 4u);
    EXPECT_THAT(std::vector<std::string>(events.end() - 4, events.end()),
                ElementsAre("timer3 destroy", "clear " + kFolder, "process messages", "clear " + kFolder));
    EXPECT_EQ(timers.LiveCount(), 0u);
    // Absent again: a new start works.
    StartSound();
    EXPECT_NE(SoundSystem(), nullptr);
}

TEST_F(SoundLifecycleTest, StopWithoutASystemTouchesNothing) {
    StopSound();
    EXPECT_TRUE(world.log.empty());
    EXPECT_EQ(timers.processMessagesCalls, 0);
}

TEST_F(SoundLifecycleTest, FailuresOfMakingOrStartingAreSwallowedAndReleased) {
    struct Case {
        bool failCreate;
        const char* failFile;
        int failChannel;
    };
    for (const Case& c : {Case{true, nullptr, 0}, Case{false, kHelicopterLoopFile, 0}, Case{false, nullptr, 4}}) {
        world = FakeAudioWorld{};
        world.failCreate = c.failCreate;
        if (c.failFile) world.failingFiles.insert(c.failFile);
        world.failPerformanceNumber = c.failChannel;
        EXPECT_NO_THROW(StartSound());
        EXPECT_EQ(SoundSystem(), nullptr);
        EXPECT_EQ(world.liveAudios, 0);
        EXPECT_EQ(world.liveSegments, 0);
        EXPECT_EQ(timers.LiveCount(), 0u);
        // The sounds it unpacked go at once, with the back end already released,
        // and once more when the saver stops: a silent saver leaves no files.
        EXPECT_EQ(world.log.back(), "clear " + kFolder);
        const std::size_t mark = world.log.size();
        StopSound();
        EXPECT_THAT(After(world.log, mark), ElementsAre("clear " + kFolder));
        // Only once: a second stop touches nothing.
        StopSound();
        EXPECT_EQ(world.log.size(), mark + 1);
    }
}

TEST_F(SoundLifecycleTest, AFolderThatCannotBeClearedAfterAFailedStartIsNotAnError) {
    SoundHost host;
    host.services = Services();
    host.unpackToTemp = [](const std::string&) { return kFolder; };
    host.clearFolder = [](const std::string&) { throw EInOutError("Unable to remove directory"); };
    SetSoundHost(std::move(host));
    world.failCreate = true;
    EXPECT_NO_THROW(StartSound());
    EXPECT_NO_THROW(StopSound());
}

TEST_F(SoundLifecycleTest, UnpackErrorsLeaveBeforeAnySoundObjectExists) {
    failUnpack = true;
    EXPECT_THROW(StartSound(), EFOpenError);
    EXPECT_EQ(SoundSystem(), nullptr);
    EXPECT_THAT(world.log, ElementsAre("unpack " + std::string(kSoundPackName)));
}

TEST_F(SoundLifecycleTest, AReportedUnpackErrorLeavesTheRunSilentAndIsToldOnce) {
    failUnpack = true;
    std::vector<std::string> told;
    SoundHost host;
    host.services = Services();
    host.unpackToTemp = [](const std::string&) -> std::string { throw EReadError("Damaged pack file s.pak: short"); };
    host.clearFolder = [this](const std::string& folder) { world.log.push_back("clear " + folder); };
    host.reportUnpackError = [&told](const std::exception& e) { told.push_back(e.what()); };
    SetSoundHost(std::move(host));
    EXPECT_NO_THROW(StartSound());
    EXPECT_EQ(SoundSystem(), nullptr);
    EXPECT_THAT(told, ElementsAre("Damaged pack file s.pak: short"));
    // Nothing was unpacked, so nothing is cleared: least of all a folder named "".
    EXPECT_TRUE(SoundScratchFolder().empty());
    StopSound();
    EXPECT_THAT(world.log, ElementsAre());
}

TEST_F(SoundLifecycleTest, AFailedEventStopsTheRunningSystemOnceItsHandlerIsDone) {
    world.failingFiles = {kNear1File, kNear2File, kNear3File};
    timers.onError = [&](const std::exception& e) { timers.errors.push_back(e.what()); };
    StartSound();
    ASSERT_NE(SoundSystem(), nullptr);
    EXPECT_FALSE(StopSoundAfterFailure()) << "a system that has not failed runs on";
    EXPECT_NE(SoundSystem(), nullptr);
    timers.Advance(7000);  // the first near event comes by then
    ASSERT_EQ(timers.errors.size(), 1u);
    const std::size_t mark = world.log.size();
    EXPECT_TRUE(StopSoundAfterFailure());
    EXPECT_EQ(SoundSystem(), nullptr);
    const auto events = After(world.log, mark);
    EXPECT_EQ(std::count(events.begin(), events.end(), "clear " + kFolder), 2) << "its files are removed";
    EXPECT_EQ(world.liveAudios, 0);
    EXPECT_EQ(timers.LiveCount(), 0u);
    timers.Advance(60000);
    EXPECT_EQ(timers.errors.size(), 1u) << "no second error";
    EXPECT_FALSE(StopSoundAfterFailure());
    // Pausing a saver that went silent touches nothing.
    const std::size_t after = world.log.size();
    PauseSound(true);
    PauseSound(false);
    EXPECT_EQ(world.log.size(), after);
}

TEST(FakeTimersTest, OnlyAChangedIntervalRestartsTheCountdown) {
    FakeTimers timers;
    int fired = 0;
    auto timer = timers.CreateTimer(100, [&](IMessageTimer&) { ++fired; });
    timers.Advance(60);
    timer->SetInterval(100);  // same: the countdown goes on
    timers.Advance(40);
    EXPECT_EQ(fired, 1);
    timers.Advance(60);
    timer->SetInterval(50);  // changed: 50 ms from now
    timers.Advance(49);
    EXPECT_EQ(fired, 1);
    timers.Advance(1);
    EXPECT_EQ(fired, 2);
    timer.reset();
    timers.Advance(1000);
    EXPECT_EQ(fired, 2);
}

}  // namespace
}  // namespace vtl
