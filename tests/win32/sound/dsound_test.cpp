// The DirectSound back end heard through Wine: each check plays on real channels and
// measures what ALSA wrote. Without a capture file the checks that listen are skipped.
#include <windows.h>

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>

#include "audio_capture.h"
#include "platform/win32/dsound_audio.h"

namespace vtl {
namespace {

using soundtest::Capture;

class DirectSoundBackEnd : public ::testing::Test {
protected:
    void SetUp() override {
        audio = win32::CreateDirectSoundAudio();
        folder = soundtest::TestFolder();
    }
    static bool NoCapture() { return soundtest::CapturePath().empty(); }
    // Plays segment on channel (after prepare), lets the mixer run, stops, and returns
    // what was written meanwhile.
    template <typename Prepare>
    Capture Listen(TDMPerformance& channel, TDMSegment& segment, Prepare prepare, DWORD milliseconds = 700) {
        const std::uint64_t mark = soundtest::CaptureMark();
        prepare();
        EXPECT_GE(channel.DownloadSegment(segment), 0);
        EXPECT_GE(channel.PlaySegment(segment), 0);
        Sleep(milliseconds);
        channel.Stop();
        Sleep(150);
        return soundtest::ReadCapture(mark);
    }
    std::unique_ptr<TDMSegment> LoopedTone(double frequency) {
        auto segment = audio->LoadSegment(soundtest::WriteWave(folder, "tone.wav", soundtest::Tone(frequency, 0.5)));
        segment->LoopForever();
        return segment;
    }

    std::unique_ptr<TDirectAudio> audio;
    std::string folder;
};

TEST_F(DirectSoundBackEnd, PositionOnTheXAxisPansTheChannel) {
    if (NoCapture()) GTEST_SKIP() << "VTL_SOUND_CAPTURE not set";
    TDMPerformance* channel = audio->CreatePerformance();
    auto tone = LoopedTone(440);
    // Levels compared as left * k against right, so a silent side needs no division.
    struct Case { float x; bool leftLouder, rightLouder; };
    for (const Case& c : {Case{0, false, false}, Case{-5, true, false}, Case{5, false, true}}) {
        const Capture heard = Listen(*channel, *tone, [&] { channel->SetPosition(c.x, 0, 0); });
        ASSERT_GT(heard.SoundingFrames(), 1000u) << "nothing heard at x = " << c.x;
        const double left = heard.LevelLeft(), right = heard.LevelRight();
        std::printf("  x = %+.0f: level left %.4f right %.4f\n", c.x, left, right);
        EXPECT_EQ(left > 1.5 * right, c.leftLouder) << "x = " << c.x << ": " << left << " / " << right;
        EXPECT_EQ(right > 1.5 * left, c.rightLouder) << "x = " << c.x << ": " << left << " / " << right;
    }
}

TEST_F(DirectSoundBackEnd, ASourceComingCloserSoundsHigherWithTheDopplerFactor) {
    if (NoCapture()) GTEST_SKIP() << "VTL_SOUND_CAPTURE not set";
    TDMPerformance* channel = audio->CreatePerformance();
    auto tone = LoopedTone(440);
    channel->SetPosition(-10, 1, 0);
    const double atRest = Listen(*channel, *tone, [] {}).ToneFrequency();
    const double coming = Listen(*channel, *tone, [&] {
        channel->SetDopplerFactor(7);
        channel->SetVelocity(5, 0, 0);
    }).ToneFrequency();
    const double going = Listen(*channel, *tone, [&] { channel->SetPosition(10, 1, 0); }).ToneFrequency();
    std::printf("  tone at rest %.1f Hz, coming %.1f Hz, going %.1f Hz\n", atRest, coming, going);
    EXPECT_NEAR(atRest, 440, 10);
    EXPECT_NEAR(coming / atRest, 1.113, 0.03);
    EXPECT_NEAR(going / atRest, 0.904, 0.03);
}

TEST_F(DirectSoundBackEnd, VolumeIsInHundredthsOfADecibelAndNeverAboveFull) {
    if (NoCapture()) GTEST_SKIP() << "VTL_SOUND_CAPTURE not set";
    TDMPerformance* channel = audio->CreatePerformance();
    auto tone = LoopedTone(440);
    const double full = Listen(*channel, *tone, [&] { channel->SetVolume(0); }).LevelLeft();
    const double lowered = Listen(*channel, *tone, [&] { channel->SetVolume(-700); }).LevelLeft();
    const double positive = Listen(*channel, *tone, [&] { channel->SetVolume(700); }).LevelLeft();
    std::printf("  level at 0: %.4f, at -700: %.4f, at +700: %.4f\n", full, lowered, positive);
    ASSERT_GT(full, 0);
    EXPECT_NEAR(20 * std::log10(lowered / full), -7.0, 1.0);
    EXPECT_NEAR(20 * std::log10(positive / full), -7.0, 1.0);
}

TEST_F(DirectSoundBackEnd, RepeatCountsPlayTheSampleOneMoreTime) {
    if (NoCapture()) GTEST_SKIP() << "VTL_SOUND_CAPTURE not set";
    TDMPerformance* channel = audio->CreatePerformance();
    auto burst = audio->LoadSegment(soundtest::WriteWave(folder, "burst.wav", soundtest::Tone(1000, 0.1)));
    struct Case { std::uint32_t repeats; double plays; };
    std::size_t once = 0;
    for (const Case& c : {Case{0, 1}, Case{2, 3}, Case{1, 2}}) {
        const Capture heard = Listen(*channel, *burst, [&] { burst->SetRepeats(c.repeats); }, 900);
        if (c.repeats == 0) once = heard.SoundingFrames();
        std::printf("  repeats %u: %zu sounding frames\n", c.repeats, heard.SoundingFrames());
        ASSERT_GT(once, 1000u);
        EXPECT_NEAR(double(heard.SoundingFrames()) / once, c.plays, 0.15 * c.plays) << "repeats " << c.repeats;
    }
}

TEST_F(DirectSoundBackEnd, ANewPlayReplacesWhatTheChannelPlayed) {
    if (NoCapture()) GTEST_SKIP() << "VTL_SOUND_CAPTURE not set";
    TDMPerformance* channel = audio->CreatePerformance();
    auto low = LoopedTone(300);
    auto high = audio->LoadSegment(soundtest::WriteWave(folder, "high.wav", soundtest::Tone(900, 0.5)));
    high->LoopForever();
    channel->DownloadSegment(*low);
    channel->PlaySegment(*low);
    Sleep(300);
    const Capture heard = Listen(*channel, *high, [] {});
    // Only the tail of the low tone before the mark may show; the rest is the high one.
    EXPECT_NEAR(heard.ToneFrequency(), 900, 40);
}

TEST_F(DirectSoundBackEnd, OnlyPcmWavesLoad) {
    PcmWave stereo8 = soundtest::Tone(440, 0.05);
    stereo8.channels = 2;
    stereo8.bitsPerSample = 8;
    EXPECT_NO_THROW(audio->LoadSegment(soundtest::WriteWave(folder, "stereo8.wav", stereo8)));
    std::vector<std::uint8_t> floatWave = BuildPcmWave(soundtest::Tone(440, 0.05));
    floatWave[20] = 3;
    const std::string floatPath = folder + "\\float.wav";
    {
        const HANDLE file = CreateFileA(floatPath.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        DWORD written = 0;
        WriteFile(file, floatWave.data(), static_cast<DWORD>(floatWave.size()), &written, nullptr);
        CloseHandle(file);
    }
    for (const std::string& path : {floatPath, folder + "\\missing.wav"}) {
        try {
            audio->LoadSegment(path);
            ADD_FAILURE() << path;
        } catch (const EDirectAudio& e) {
            EXPECT_EQ(e.what(), "Cannot create segment object from file " + path);
        }
    }
}

TEST_F(DirectSoundBackEnd, ASegmentOfAnotherBackEndIsRefused) {
    auto other = win32::CreateDirectSoundAudio();
    auto tone = other->LoadSegment(soundtest::WriteWave(folder, "tone.wav", soundtest::Tone(440, 0.1)));
    TDMPerformance* channel = audio->CreatePerformance();
    EXPECT_LT(channel->PlaySegment(*tone), 0);
    EXPECT_LT(channel->DownloadSegment(*tone), 0);
}

}  // namespace
}  // namespace vtl
