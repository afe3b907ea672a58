// The OpenAL back end heard through OpenAL Soft's wave writer: each check plays on real
// channels and measures what the writer put into its file.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <string>

#include "openal_capture.h"
#include "platform/openal/openal_audio.h"

namespace vtl {
namespace {

using altest::Capture;
using altest::kCaptureRate;

class OpenALBackEnd : public ::testing::Test {
protected:
    void SetUp() override {
        altest::UseCaptureDevice();
        audio = openal::CreateOpenALAudio();
        folder = altest::TestFolder();
    }
    // Plays segment on channel (after prepare) for about `seconds` of written sound,
    // stops, and returns what was written from just before the play until after the stop.
    template <typename Prepare>
    Capture Listen(TDMPerformance& channel, TDMSegment& segment, Prepare prepare, double seconds = 0.5) {
        const std::uint64_t mark = altest::CaptureMark();
        prepare();
        EXPECT_GE(channel.DownloadSegment(segment), 0);
        EXPECT_GE(channel.PlaySegment(segment), 0);
        EXPECT_TRUE(altest::WaitForFrames(mark, seconds * kCaptureRate));
        EXPECT_GE(channel.Stop(), 0);
        EXPECT_TRUE(altest::WaitForFrames(altest::CaptureMark(), 0.1 * kCaptureRate));
        return altest::ReadCapture(mark);
    }
    std::unique_ptr<TDMSegment> LoopedTone(double frequency, const char* name = "tone.wav") {
        auto segment = audio->LoadSegment(altest::WriteWave(folder, name, altest::Tone(frequency, 0.5)));
        segment->LoopForever();
        return segment;
    }

    std::unique_ptr<TDirectAudio> audio;
    std::string folder;
};

TEST_F(OpenALBackEnd, PositionOnTheXAxisPansTheChannel) {
    TDMPerformance* channel = audio->CreatePerformance();
    auto tone = LoopedTone(440);
    // Levels compared as left * k against right, so a silent side needs no division.
    // Ahead of the listener or behind it, +x stays on the right.
    struct Case { float x, z; bool leftLouder, rightLouder; };
    for (const Case& c : {Case{0, 0, false, false}, Case{-5, 0, true, false}, Case{5, 0, false, true},
                          Case{3, 4, false, true}, Case{3, -4, false, true}, Case{-3, 4, true, false}}) {
        const Capture heard = Listen(*channel, *tone, [&] { channel->SetPosition(c.x, 0, c.z); });
        ASSERT_GT(heard.SoundingFrames(), 1000u) << "nothing heard at x = " << c.x;
        const double left = heard.LevelLeft(), right = heard.LevelRight();
        std::printf("  (%+.0f, 0, %+.0f): level left %.4f right %.4f\n", c.x, c.z, left, right);
        const auto where = [&] { return ::testing::Message() << "at (" << c.x << ", 0, " << c.z << "): " << left
                                                             << " / " << right; };
        EXPECT_EQ(left > 1.5 * right, c.leftLouder) << where();
        EXPECT_EQ(right > 1.5 * left, c.rightLouder) << where();
    }
}

TEST_F(OpenALBackEnd, DistanceFallsOffInverselyBeyondOneUnit) {
    TDMPerformance* channel = audio->CreatePerformance();
    auto tone = LoopedTone(440);
    // Straight ahead, so both sides carry the same share; inside the minimum distance
    // the level stays full.
    const auto level = [&](float z) {
        const Capture heard = Listen(*channel, *tone, [&] { channel->SetPosition(0, 0, z); });
        return heard.LevelLeft() + heard.LevelRight();
    };
    const double half = level(0.5f), one = level(1), four = level(4);
    std::printf("  level at 0.5: %.4f, at 1: %.4f, at 4: %.4f\n", half, one, four);
    ASSERT_GT(one, 0);
    EXPECT_NEAR(half / one, 1.0, 0.05);
    EXPECT_NEAR(four / one, 0.25, 0.03);
}

TEST_F(OpenALBackEnd, ASourceComingCloserSoundsHigherWithTheDopplerFactor) {
    TDMPerformance* channel = audio->CreatePerformance();
    auto tone = LoopedTone(440);
    channel->SetPosition(-10, 1, 0);
    const double atRest = Listen(*channel, *tone, [] {}).ToneFrequency();
    std::printf("  tone at rest %.1f Hz\n", atRest);
    EXPECT_NEAR(atRest, 440, 10);
    // Expected ratios are DirectSound's: c / (c - factor * approach speed), c = 343.3,
    // the approach speed held within -c .. c / 2.
    struct Case { const char* what; float position[3], velocity[3], factor; double ratio; };
    const Case cases[] = {
        {"coming along x", {-10, 1, 0}, {5, 0, 0}, 7, 1.113},
        {"going along x", {10, 1, 0}, {5, 0, 0}, 7, 0.908},
        {"coming from ahead", {0, 1, 10}, {0, 0, -5}, 7, 1.113},
        {"going ahead", {0, 1, 10}, {0, 0, 5}, 7, 0.908},
        {"moving with factor 0", {-10, 1, 0}, {5, 0, 0}, 0, 1.0},
        {"moving with factor 1", {-10, 0, 0}, {20, 0, 0}, 1, 1.062},
        {"passing sideways", {0, 0, 10}, {5, 0, 0}, 7, 1.0},
        {"faster than the bound", {-10, 0, 0}, {300, 0, 0}, 10, 2.0},
    };
    for (const Case& c : cases) {
        const double heard = Listen(*channel, *tone, [&] {
            channel->SetPosition(c.position[0], c.position[1], c.position[2]);
            channel->SetDopplerFactor(c.factor);
            channel->SetVelocity(c.velocity[0], c.velocity[1], c.velocity[2]);
        }).ToneFrequency();
        std::printf("  %s: %.1f Hz, ratio %.3f (expected %.3f)\n", c.what, heard, heard / atRest, c.ratio);
        EXPECT_NEAR(heard / atRest, c.ratio, 0.02) << c.what;
    }
}

TEST_F(OpenALBackEnd, VolumeIsInHundredthsOfADecibelAndNeverAboveFull) {
    TDMPerformance* channel = audio->CreatePerformance();
    auto tone = LoopedTone(440);
    const auto level = [&](std::int32_t volume) {
        const Capture heard = Listen(*channel, *tone, [&] { channel->SetVolume(volume); });
        return heard.SoundingFrames() ? heard.LevelLeft() : 0.0;
    };
    const double full = level(0);
    ASSERT_GT(full, 0);
    struct Case { std::int32_t volume; double decibels; };
    for (const Case& c : {Case{-600, -6}, Case{600, -6}, Case{-2000, -20}, Case{2147483647, -100}}) {
        const double heard = level(c.volume);
        std::printf("  volume %d: level %.5f, %.2f dB\n", c.volume, heard, 20 * std::log10(heard / full));
        if (c.decibels <= -100)
            EXPECT_EQ(heard, 0.0) << c.volume;
        else
            EXPECT_NEAR(20 * std::log10(heard / full), c.decibels, 0.5) << c.volume;
    }
    const double minimum = level(-2147483647 - 1);
    EXPECT_EQ(minimum, 0.0);
}

TEST_F(OpenALBackEnd, RepeatCountsPlayTheSampleOneMoreTime) {
    TDMPerformance* channel = audio->CreatePerformance();
    const double copyFrames = 0.1 * kCaptureRate;
    auto burst = audio->LoadSegment(altest::WriteWave(folder, "burst.wav", altest::Tone(1000, 0.1)));
    // A new segment plays twice.
    struct Case { bool set; std::uint32_t repeats; double plays; };
    for (const Case& c : {Case{false, 0, 2}, Case{true, 0, 1}, Case{true, 2, 3}, Case{true, 1, 2}}) {
        if (c.set) burst->SetRepeats(c.repeats);
        const std::uint64_t mark = altest::CaptureMark();
        channel->DownloadSegment(*burst);
        ASSERT_GE(channel->PlaySegment(*burst), 0);
        const Capture heard = altest::ReadAfterItEnds(mark, 0.3 * kCaptureRate);
        std::printf("  repeats %s: %zu sounding frames, %.2f plays\n",
                    c.set ? std::to_string(c.repeats).c_str() : "of a new segment", heard.SoundingFrames(),
                    heard.SoundingFrames() / copyFrames);
        EXPECT_NEAR(heard.SoundingFrames() / copyFrames, c.plays, 0.05 * c.plays) << "repeats " << c.repeats;
    }
    // Forever goes on until the stop, however short the sample.
    burst->LoopForever();
    const Capture looped = Listen(*channel, *burst, [] {}, 0.8);
    std::printf("  forever: %.2f plays before the stop\n", looped.SoundingFrames() / copyFrames);
    EXPECT_GT(looped.SoundingFrames() / copyFrames, 5.0);
}

TEST_F(OpenALBackEnd, ANewPlayReplacesWhatTheChannelPlayed) {
    TDMPerformance* channel = audio->CreatePerformance();
    auto low = LoopedTone(300, "low.wav");
    auto high = LoopedTone(900, "high.wav");
    channel->DownloadSegment(*low);
    channel->PlaySegment(*low);
    ASSERT_TRUE(altest::WaitForFrames(altest::CaptureMark(), 0.3 * kCaptureRate));
    const Capture heard = Listen(*channel, *high, [] {});
    // Only the tail of the low tone before the mark may show; the rest is the high one.
    std::printf("  after the replacing play: %.1f Hz\n", heard.ToneFrequency());
    EXPECT_NEAR(heard.ToneFrequency(), 900, 40);
}

TEST_F(OpenALBackEnd, StopAllSilencesEveryChannel) {
    TDMPerformance* first = audio->CreatePerformance();
    TDMPerformance* second = audio->CreatePerformance();
    auto low = LoopedTone(300, "low.wav");
    auto high = LoopedTone(900, "high.wav");
    first->SetPosition(-5, 0, 0);
    second->SetPosition(5, 0, 0);
    first->PlaySegment(*low);
    second->PlaySegment(*high);
    std::uint64_t mark = altest::CaptureMark();
    ASSERT_TRUE(altest::WaitForFrames(mark, 0.3 * kCaptureRate));
    const Capture playing = altest::ReadCapture(mark);
    std::printf("  both playing: level left %.4f right %.4f\n", playing.LevelLeft(), playing.LevelRight());
    EXPECT_GT(playing.LevelLeft(), 0.01);
    EXPECT_GT(playing.LevelRight(), 0.01);

    audio->StopAll();
    // What was mixed before the stop may still be on its way to the file.
    mark = altest::CaptureMark();
    ASSERT_TRUE(altest::WaitForFrames(mark, 0.4 * kCaptureRate));
    Capture after = altest::ReadCapture(mark);
    const std::size_t settle = static_cast<std::size_t>(0.1 * kCaptureRate);
    ASSERT_GT(after.left.size(), settle);
    after.left.erase(after.left.begin(), after.left.begin() + settle);
    after.right.erase(after.right.begin(), after.right.begin() + settle);
    std::printf("  after StopAll: %zu sounding frames of %zu\n", after.SoundingFrames(), after.left.size());
    EXPECT_EQ(after.SoundingFrames(), 0u);
}

TEST_F(OpenALBackEnd, OnlyPcmWavesLoad) {
    PcmWave stereo8 = altest::Tone(440, 0.05);
    stereo8.channels = 2;
    stereo8.bitsPerSample = 8;
    EXPECT_NO_THROW(audio->LoadSegment(altest::WriteWave(folder, "stereo8.wav", stereo8)));
    PcmWave empty = altest::Tone(440, 0);
    auto silent = audio->LoadSegment(altest::WriteWave(folder, "empty.wav", empty));
    EXPECT_GE(audio->CreatePerformance()->PlaySegment(*silent), 0);

    std::vector<std::uint8_t> floatWave = BuildPcmWave(altest::Tone(440, 0.05));
    floatWave[20] = 3;
    std::vector<std::uint8_t> cut = BuildPcmWave(altest::Tone(440, 0.05));
    cut.resize(cut.size() / 2);
    const std::string paths[] = {
        altest::WriteFile(folder, "float.wav", floatWave),
        altest::WriteFile(folder, "cut.wav", cut),
        altest::WriteFile(folder, "text.wav", {'n', 'o', 't', ' ', 'a', ' ', 'w', 'a', 'v', 'e'}),
        folder + "/missing.wav",
        folder,
    };
    for (const std::string& path : paths) {
        try {
            audio->LoadSegment(path);
            ADD_FAILURE() << path;
        } catch (const EDirectAudio& e) {
            EXPECT_EQ(e.what(), "Cannot create segment object from file " + path);
        }
    }
}

TEST_F(OpenALBackEnd, ASegmentOfAnotherBackEndIsRefused) {
    // A second device writes into the same capture file; nothing is measured here.
    auto other = openal::CreateOpenALAudio();
    auto foreign = other->LoadSegment(altest::WriteWave(folder, "tone.wav", altest::Tone(440, 0.1)));
    TDMPerformance* channel = audio->CreatePerformance();
    EXPECT_LT(channel->PlaySegment(*foreign), 0);
    EXPECT_LT(channel->DownloadSegment(*foreign), 0);
    // Each back end keeps working on its own context with the other one alive.
    auto own = audio->LoadSegment(altest::WriteWave(folder, "own.wav", altest::Tone(440, 0.1)));
    EXPECT_GE(channel->DownloadSegment(*own), 0);
    EXPECT_GE(channel->PlaySegment(*own), 0);
    EXPECT_GE(other->CreatePerformance()->PlaySegment(*foreign), 0);
    // A segment kept past its back end (against the seam's rule) still goes quietly.
    other.reset();
    EXPECT_LT(channel->PlaySegment(*foreign), 0);
    foreign.reset();

    struct StrangeSegment final : TDMSegment {
        AudioResult SetRepeats(std::uint32_t) override { return kAudioOk; }
    } strange;
    EXPECT_LT(channel->DownloadSegment(strange), 0);
    EXPECT_LT(channel->PlaySegment(strange), 0);
}

TEST_F(OpenALBackEnd, OutOfRangeRequestsAreRefusedWithoutHarm) {
    TDMPerformance* channel = audio->CreatePerformance();
    auto tone = LoopedTone(440);
    for (float factor : {-1.0f, 10.5f, std::nanf("")}) EXPECT_LT(channel->SetDopplerFactor(factor), 0) << factor;
    EXPECT_GE(channel->SetDopplerFactor(10), 0);
    // A repeat count whose queue would be absurd is refused, and the channel stays usable.
    tone->SetRepeats(kRepeatForever - 1);
    EXPECT_LT(channel->PlaySegment(*tone), 0);
    tone->LoopForever();
    EXPECT_GE(channel->PlaySegment(*tone), 0);
    EXPECT_GE(channel->SetPosition(1e30f, -1e30f, 1e30f), 0);
    EXPECT_GE(channel->SetVelocity(1e30f, 0, -1e30f), 0);
    EXPECT_LT(channel->SetPosition(std::nanf(""), 0, 0), 0);
    EXPECT_LT(channel->SetVelocity(0, INFINITY, 0), 0);
    EXPECT_GE(channel->Stop(), 0);
    // A segment outliving its channel's play, and a play of a segment already gone.
    channel->PlaySegment(*tone);
    tone.reset();
    EXPECT_GE(channel->SetVolume(-100), 0);
    EXPECT_GE(channel->Stop(), 0);
}

}  // namespace
}  // namespace vtl
