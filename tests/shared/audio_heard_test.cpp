// What a listener hears of the audio seam's rules, measured in a back end's real output:
// panning, distance, the Doppler shift, volume, repeat counts, replacing and stopping.
// Every back end that can be heard compiles these cases against its own harness
// ("audio_harness.h": OpenAL on OpenAL Soft's wave writer in the Linux tests,
// DirectSound on Wine's ALSA capture in the Windows tests), so both answer to the same
// figures. Only levels, balance, pitch and frame counts are measured, never durations
// in wall time.
#include <cmath>
#include <cstdio>
#include <string>

#include "audio_harness.h"
#include "support/doppler_physics.h"

namespace vtl {
namespace {

using heard::HeardBackEnd;
using soundmeasure::Capture;
using soundmeasure::kCaptureRate;

// Plays segment on channel (after prepare) for about `seconds` of output, stops, and
// returns what was written from just before the play until a moment after the stop.
template <typename Prepare>
Capture Listen(HeardBackEnd& bed, TDMPerformance& channel, TDMSegment& segment, Prepare prepare, double seconds = 0.5) {
    const std::uint64_t mark = bed.Mark();
    prepare();
    EXPECT_GE(channel.DownloadSegment(segment), 0);
    EXPECT_GE(channel.PlaySegment(segment), 0);
    EXPECT_TRUE(bed.Run(mark, seconds));
    EXPECT_GE(channel.Stop(), 0);
    EXPECT_TRUE(bed.Run(bed.Mark(), 0.1));
    return bed.Read(mark);
}

std::unique_ptr<TDMSegment> LoopedTone(HeardBackEnd& bed, double frequency, const char* name = "tone.wav") {
    auto segment = bed.audio->LoadSegment(bed.WriteWave(name, soundmeasure::Tone(frequency, 0.5)));
    segment->LoopForever();
    return segment;
}

TEST_F(HeardBackEnd, PositionOnTheXAxisPansTheChannel) {
    TDMPerformance* channel = audio->CreatePerformance();
    auto tone = LoopedTone(*this, 440);
    // Levels compared as left * k against right, so a silent side needs no division.
    // Ahead of the listener or behind it, +x stays on the right.
    struct Case {
        float x, z;
        bool leftLouder, rightLouder;
    };
    for (const Case& c : {Case{0, 0, false, false}, Case{-5, 0, true, false}, Case{5, 0, false, true},
                          Case{3, 4, false, true}, Case{3, -4, false, true}, Case{-3, 4, true, false}}) {
        const Capture heard = Listen(*this, *channel, *tone, [&] { channel->SetPosition(c.x, 0, c.z); });
        ASSERT_GT(heard.SoundingFrames(), 1000u) << "nothing heard at x = " << c.x;
        const double left = heard.LevelLeft(), right = heard.LevelRight();
        std::printf("  (%+.0f, 0, %+.0f): level left %.4f right %.4f\n", c.x, c.z, left, right);
        const auto where = [&] {
            return ::testing::Message() << "at (" << c.x << ", 0, " << c.z << "): " << left << " / " << right;
        };
        EXPECT_EQ(left > 1.5 * right, c.leftLouder) << where();
        EXPECT_EQ(right > 1.5 * left, c.rightLouder) << where();
    }
}

TEST_F(HeardBackEnd, DistanceFallsOffInverselyBeyondOneUnit) {
    TDMPerformance* channel = audio->CreatePerformance();
    auto tone = LoopedTone(*this, 440);
    // Straight ahead, so both sides carry the same share; inside the minimum distance
    // the level stays full.
    const auto level = [&](float z) {
        const Capture heard = Listen(*this, *channel, *tone, [&] { channel->SetPosition(0, 0, z); });
        return heard.LevelLeft() + heard.LevelRight();
    };
    const double half = level(0.5f), one = level(1), four = level(4);
    std::printf("  level at 0.5: %.4f, at 1: %.4f, at 4: %.4f\n", half, one, four);
    ASSERT_GT(one, 0);
    EXPECT_NEAR(half / one, 1.0, 0.05);
    EXPECT_NEAR(four / one, 0.25, 0.03);
}

TEST_F(HeardBackEnd, ASourceComingCloserSoundsHigherByThePhysicalShift) {
    TDMPerformance* channel = audio->CreatePerformance();
    auto tone = LoopedTone(*this, 440);
    channel->SetPosition(-10, 1, 0);
    const double atRest = Listen(*this, *channel, *tone, [] {}).ToneFrequency();
    std::printf("  tone at rest %.1f Hz\n", atRest);
    EXPECT_NEAR(atRest, 440, 10);
    struct Case {
        const char* what;
        float position[3], velocity[3], factor;
    };
    const Case cases[] = {
        {"coming along x", {-10, 1, 0}, {5, 0, 0}, 7},
        {"going along x", {10, 1, 0}, {5, 0, 0}, 7},
        {"coming from ahead", {0, 1, 10}, {0, 0, -5}, 7},
        {"going ahead", {0, 1, 10}, {0, 0, 5}, 7},
        {"moving with factor 0", {-10, 1, 0}, {5, 0, 0}, 0},
        {"moving with factor 1", {-10, 0, 0}, {20, 0, 0}, 1},
        {"passing sideways", {0, 0, 10}, {5, 0, 0}, 7},
        {"faster than the bound", {-10, 0, 0}, {300, 0, 0}, 10},
        {"going faster than sound", {10, 0, 0}, {300, 0, 0}, 10},
    };
    for (const Case& c : cases) {
        const double heard = Listen(*this, *channel, *tone, [&] {
                                 channel->SetPosition(c.position[0], c.position[1], c.position[2]);
                                 channel->SetDopplerFactor(c.factor);
                                 channel->SetVelocity(c.velocity[0], c.velocity[1], c.velocity[2]);
                             }).ToneFrequency();
        const double expected = physics::PitchRatio(c.position, c.velocity, c.factor);
        std::printf("  %s: %.1f Hz, ratio %.3f (physics %.3f)\n", c.what, heard, heard / atRest, expected);
        EXPECT_NEAR(heard / atRest, expected, 0.02) << c.what;
    }
}

TEST_F(HeardBackEnd, VolumeIsInHundredthsOfADecibelAndNeverAboveFull) {
    TDMPerformance* channel = audio->CreatePerformance();
    auto tone = LoopedTone(*this, 440);
    const auto level = [&](std::int32_t volume) {
        const Capture heard = Listen(*this, *channel, *tone, [&] { channel->SetVolume(volume); });
        return heard.SoundingFrames() ? heard.LevelLeft() : 0.0;
    };
    const double full = level(0);
    ASSERT_GT(full, 0);
    struct Case {
        std::int32_t volume;
        double decibels;
    };
    for (const Case& c : {Case{-600, -6}, Case{600, -6}, Case{-700, -7}, Case{700, -7}, Case{-2000, -20},
                          Case{2147483647, -100}, Case{-2147483647 - 1, -100}}) {
        const double heard = level(c.volume);
        std::printf("  volume %d: level %.5f, %.2f dB\n", c.volume, heard, 20 * std::log10(heard / full));
        if (c.decibels <= -100)
            EXPECT_EQ(heard, 0.0) << c.volume;
        else
            EXPECT_NEAR(20 * std::log10(heard / full), c.decibels, 0.5) << c.volume;
    }
}

TEST_F(HeardBackEnd, RepeatCountsPlayTheSampleOneMoreTime) {
    TDMPerformance* channel = audio->CreatePerformance();
    const double copyFrames = 0.1 * kCaptureRate;
    auto burst = audio->LoadSegment(WriteWave("burst.wav", soundmeasure::Tone(1000, 0.1)));
    // A new segment plays twice.
    struct Case {
        bool set;
        std::uint32_t repeats;
        double plays;
    };
    for (const Case& c : {Case{false, 0, 2}, Case{true, 0, 1}, Case{true, 2, 3}, Case{true, 1, 2}}) {
        if (c.set) burst->SetRepeats(c.repeats);
        const std::uint64_t mark = Mark();
        channel->DownloadSegment(*burst);
        ASSERT_GE(channel->PlaySegment(*burst), 0);
        const Capture heard = ReadAfterItEnds(mark, 0.3);
        std::printf("  repeats %s: %zu sounding frames, %.2f plays\n",
                    c.set ? std::to_string(c.repeats).c_str() : "of a new segment", heard.SoundingFrames(),
                    heard.SoundingFrames() / copyFrames);
        EXPECT_NEAR(heard.SoundingFrames() / copyFrames, c.plays, 0.05 * c.plays) << "repeats " << c.repeats;
    }
    // Forever goes on until the stop, however short the sample.
    burst->LoopForever();
    const Capture looped = Listen(
        *this, *channel, *burst, [] {}, 0.8);
    std::printf("  forever: %.2f plays before the stop\n", looped.SoundingFrames() / copyFrames);
    EXPECT_GT(looped.SoundingFrames() / copyFrames, 5.0);
}

TEST_F(HeardBackEnd, ANewPlayReplacesWhatTheChannelPlayed) {
    TDMPerformance* channel = audio->CreatePerformance();
    auto low = LoopedTone(*this, 300, "low.wav");
    auto high = LoopedTone(*this, 900, "high.wav");
    channel->DownloadSegment(*low);
    channel->PlaySegment(*low);
    ASSERT_TRUE(Run(Mark(), 0.3));
    Capture heard = Listen(*this, *channel, *high, [] {});
    // What was mixed of the low tone before the play may still come out; past that, only
    // the high one sounds.
    const auto settle = static_cast<std::size_t>(kSettleSeconds * kCaptureRate);
    ASSERT_GT(heard.left.size(), settle);
    heard.left.erase(heard.left.begin(), heard.left.begin() + settle);
    heard.right.erase(heard.right.begin(), heard.right.begin() + settle);
    std::printf("  after the replacing play: %.1f Hz\n", heard.ToneFrequency());
    EXPECT_NEAR(heard.ToneFrequency(), 900, 20);
}

TEST_F(HeardBackEnd, StopAllSilencesEveryChannel) {
    TDMPerformance* first = audio->CreatePerformance();
    TDMPerformance* second = audio->CreatePerformance();
    auto low = LoopedTone(*this, 300, "low.wav");
    auto high = LoopedTone(*this, 900, "high.wav");
    first->SetPosition(-5, 0, 0);
    second->SetPosition(5, 0, 0);
    first->DownloadSegment(*low);
    second->DownloadSegment(*high);
    first->PlaySegment(*low);
    second->PlaySegment(*high);
    std::uint64_t mark = Mark();
    ASSERT_TRUE(Run(mark, 0.3));
    const Capture playing = Read(mark);
    std::printf("  both playing: level left %.4f right %.4f\n", playing.LevelLeft(), playing.LevelRight());
    EXPECT_GT(playing.LevelLeft(), 0.01);
    EXPECT_GT(playing.LevelRight(), 0.01);

    audio->StopAll();
    // What was mixed before the stop may still be on its way to the output.
    mark = Mark();
    ASSERT_TRUE(Run(mark, 0.4));
    Capture after = Read(mark);
    const auto settle = static_cast<std::size_t>(kSettleSeconds * kCaptureRate);
    ASSERT_GT(after.left.size(), settle);
    after.left.erase(after.left.begin(), after.left.begin() + settle);
    after.right.erase(after.right.begin(), after.right.begin() + settle);
    std::printf("  after StopAll: %zu sounding frames of %zu\n", after.SoundingFrames(), after.left.size());
    EXPECT_EQ(after.SoundingFrames(), 0u);
}

}  // namespace
}  // namespace vtl
