#pragma once
// The audio seam's observable rules (platform/audio.h), written once and held against
// every back end a test program can reach: FakeAudio in the unit tests, OpenAL in the
// Linux tests, DirectSound and DirectMusic in the Windows tests.
//
//   INSTANTIATE_TYPED_TEST_SUITE_P(DirectSound, AudioContract, DirectSoundHarness);
//
// A harness makes back ends (Make), gives a folder for wave files (Folder), and says:
//   CanPlay()          channels can play here (a back end without a device answers every
//                      channel call with a failure, by design); cases that play skip
//   kLoadsOnlyPcm      only PCM waves load (false where the platform's own loader
//                      decodes, with kWhyOtherFormats); missing files and what is no
//                      wave at all never load anywhere
//   kChecksDopplerRange   a Doppler factor outside 0 .. 10 is refused (false where the
//                      platform's listener is handed any factor, with kWhyDopplerUnchecked)
//   kObservesState     what a channel plays can be read back (Observe), from the fake's
//                      state or the requests a back end makes of the system beneath it;
//                      where it can only be heard (kWhyNotObserved), the heard suite
//                      (shared/audio_heard_test.cpp) measures the same rules
// Observe(n) reports channel n (from 1, in creation order, of the one back end a case
// makes) as sound (the file name, empty when silent), plays ("N in sequence", "loop")
// and volume in hundredths of a decibel.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <limits>
#include <memory>
#include <string>
#include <vector>

#include "formats/wavefile.h"
#include "platform/audio.h"
#include "platform/files.h"
#include "support/sound_measure.h"

namespace vtl::contract {

struct Observed {
    std::string sound;
    std::string plays;
    long volume = 0;
};

// DirectSound's floor: at or below it a channel is silent, whatever the number.
inline constexpr long kSilentVolume = -10000;

inline std::string Loudness(long volume) {
    return volume <= kSilentVolume ? std::string("silent") : std::to_string(volume);
}

// "N in sequence" or "loop", for a repeat count.
inline std::string PlaysOf(std::uint32_t repeats) {
    return repeats == kRepeatForever ? std::string("loop")
                                     : std::to_string(std::uint64_t(repeats) + 1) + " in sequence";
}

template <typename Harness>
class AudioContract : public ::testing::Test {
protected:
    std::string WriteBytes(const std::string& name, const std::vector<std::uint8_t>& bytes) {
        const std::string path = harness_.Folder() + kPathSeparator + name;
        std::ofstream(std::filesystem::u8path(path), std::ios::binary | std::ios::trunc)
            .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
        return path;
    }
    std::string WriteWave(const std::string& name, const PcmWave& wave) { return WriteBytes(name, BuildPcmWave(wave)); }
    std::string Tone(const std::string& name, double frequency = 440, double seconds = 0.2) {
        return WriteWave(name, soundmeasure::Tone(frequency, seconds));
    }
    ::testing::AssertionResult Plays(int channel, const std::string& sound, const std::string& plays) {
        const Observed seen = harness_.Observe(channel);
        if (seen.sound == sound && (sound.empty() || seen.plays == plays)) return ::testing::AssertionSuccess();
        return ::testing::AssertionFailure() << "channel " << channel << " plays '" << seen.sound << "' " << seen.plays
                                             << ", not '" << sound << "' " << plays;
    }

    Harness harness_;
};

TYPED_TEST_SUITE_P(AudioContract);

TYPED_TEST_P(AudioContract, OnlyWavesLoadAndTheRestRaiseWithTheirName) {
    auto audio = this->harness_.Make();
    PcmWave stereo8 = soundmeasure::Tone(440, 0.05);
    stereo8.channels = 2;
    stereo8.bitsPerSample = 8;
    PcmWave stereo16 = soundmeasure::Tone(440, 0.05, 44100);
    stereo16.channels = 2;
    PcmWave mono8 = soundmeasure::Tone(440, 0.05, 11025);
    mono8.bitsPerSample = 8;
    for (const auto& [name, wave] : {std::pair<const char*, PcmWave>{"mono16.wav", soundmeasure::Tone(440, 0.05)},
                                     {"stereo8.wav", stereo8},
                                     {"stereo16.wav", stereo16},
                                     {"mono8.wav", mono8}})
        EXPECT_NO_THROW(audio->LoadSegment(this->WriteWave(name, wave))) << name;

    std::vector<std::uint8_t> floatWave = BuildPcmWave(soundmeasure::Tone(440, 0.05));
    floatWave[20] = 3;  // the format tag: IEEE float
    std::vector<std::uint8_t> cut = BuildPcmWave(soundmeasure::Tone(440, 0.05));
    cut.resize(cut.size() / 2);
    std::vector<std::string> refused = {
        this->WriteBytes("text.wav", {'n', 'o', 't', ' ', 'a', ' ', 'w', 'a', 'v', 'e'}),
        this->WriteBytes("nothing.wav", {}),
        this->harness_.Folder() + kPathSeparator + "missing.wav",
        this->harness_.Folder(),
    };
    if constexpr (TypeParam::kLoadsOnlyPcm) {
        refused.push_back(this->WriteBytes("float.wav", floatWave));
        refused.push_back(this->WriteBytes("cut.wav", cut));
    } else {
        std::printf("  float and cut waves not held to: %s\n", TypeParam::kWhyOtherFormats);
    }
    for (const std::string& path : refused) {
        try {
            audio->LoadSegment(path);
            ADD_FAILURE() << path << " loaded";
        } catch (const EDirectAudio& e) {
            EXPECT_EQ(e.what(), "Cannot create segment object from file " + path);
            EXPECT_STREQ(e.TypeName(), "EDirectAudio");
        }
    }
}

TYPED_TEST_P(AudioContract, ASegmentOfAnotherBackEndIsRefused) {
    auto audio = this->harness_.Make();
    auto other = this->harness_.Make();
    TDMPerformance* channel = audio->CreatePerformance();
    auto foreign = other->LoadSegment(this->Tone("foreign.wav"));
    EXPECT_LT(channel->DownloadSegment(*foreign), 0);
    EXPECT_LT(channel->PlaySegment(*foreign), 0);
    struct StrangeSegment final : TDMSegment {
        AudioResult SetRepeats(std::uint32_t) override { return kAudioOk; }
    } strange;
    EXPECT_LT(channel->DownloadSegment(strange), 0);
    EXPECT_LT(channel->PlaySegment(strange), 0);
    if (!this->harness_.CanPlay()) GTEST_SKIP() << "no audio device: a channel here plays nothing at all";
    auto own = audio->LoadSegment(this->Tone("own.wav"));
    EXPECT_GE(channel->DownloadSegment(*own), 0);
    EXPECT_GE(channel->PlaySegment(*own), 0);
    // The other back end takes its own segment.
    TDMPerformance* theirs = other->CreatePerformance();
    EXPECT_GE(theirs->DownloadSegment(*foreign), 0);
    EXPECT_GE(theirs->PlaySegment(*foreign), 0);
    audio->StopAll();
    other->StopAll();
}

TYPED_TEST_P(AudioContract, DopplerFactorsFromNoneToTenAreTakenAndNoOthers) {
    if (!this->harness_.CanPlay()) GTEST_SKIP() << "no audio device: every channel call fails here";
    auto audio = this->harness_.Make();
    TDMPerformance* channel = audio->CreatePerformance();
    for (float factor : {0.0f, 1.0f, 7.0f, 10.0f}) EXPECT_GE(channel->SetDopplerFactor(factor), 0) << factor;
    if constexpr (TypeParam::kChecksDopplerRange) {
        const float refused[] = {-1.0f, -0.001f, 10.5f, std::numeric_limits<float>::infinity(),
                                 std::numeric_limits<float>::quiet_NaN()};
        for (float factor : refused) EXPECT_LT(channel->SetDopplerFactor(factor), 0) << factor;
    } else {
        GTEST_SKIP() << "factors outside 0 .. 10 not held to: " << TypeParam::kWhyDopplerUnchecked;
    }
}

TYPED_TEST_P(AudioContract, VolumeIsNeverRaisedAboveFull) {
    if constexpr (!TypeParam::kObservesState) {
        GTEST_SKIP() << TypeParam::kWhyNotObserved;
    } else {
        if (!this->harness_.CanPlay()) GTEST_SKIP() << "no audio device: a channel here plays nothing at all";
        auto audio = this->harness_.Make();
        TDMPerformance* channel = audio->CreatePerformance();
        auto tone = audio->LoadSegment(this->Tone("tone.wav"));
        tone->LoopForever();
        ASSERT_GE(channel->DownloadSegment(*tone), 0);
        ASSERT_GE(channel->PlaySegment(*tone), 0);
        EXPECT_EQ(Loudness(this->harness_.Observe(1).volume), "0") << "a new channel plays at full volume";
        struct Case {
            std::int32_t volume;
            const char* heard;
        } const cases[] = {
            {-700, "-700"},
            {700, "-700"},
            {0, "0"},
            {-2000, "-2000"},
            {1, "-1"},
            {-10000, "silent"},
            {-20000, "silent"},
            {std::numeric_limits<std::int32_t>::max(), "silent"},
            {std::numeric_limits<std::int32_t>::min(), "silent"},
        };
        for (const Case& c : cases) {
            EXPECT_GE(channel->SetVolume(c.volume), 0) << c.volume;
            EXPECT_EQ(Loudness(this->harness_.Observe(1).volume), c.heard) << c.volume;
        }
        audio->StopAll();
    }
}

TYPED_TEST_P(AudioContract, RepeatCountsPlayTheSoundOneTimeMore) {
    if constexpr (!TypeParam::kObservesState) {
        GTEST_SKIP() << TypeParam::kWhyNotObserved;
    } else {
        if (!this->harness_.CanPlay()) GTEST_SKIP() << "no audio device: a channel here plays nothing at all";
        auto audio = this->harness_.Make();
        TDMPerformance* channel = audio->CreatePerformance();
        auto burst = audio->LoadSegment(this->Tone("burst.wav", 1000, 0.1));
        ASSERT_GE(channel->DownloadSegment(*burst), 0);
        ASSERT_GE(channel->PlaySegment(*burst), 0);
        EXPECT_TRUE(this->Plays(1, "burst.wav", "2 in sequence")) << "a new segment plays twice";
        for (std::uint32_t repeats : {0u, 2u, 1u, kRepeatForever}) {
            EXPECT_GE(burst->SetRepeats(repeats), 0);
            ASSERT_GE(channel->PlaySegment(*burst), 0);
            EXPECT_TRUE(this->Plays(1, "burst.wav", PlaysOf(repeats))) << repeats;
        }
        EXPECT_GE(burst->SetRepeats(0), 0);
        EXPECT_GE(burst->LoopForever(), 0);
        ASSERT_GE(channel->PlaySegment(*burst), 0);
        EXPECT_TRUE(this->Plays(1, "burst.wav", "loop"));
        audio->StopAll();
    }
}

TYPED_TEST_P(AudioContract, APlayReplacesWhatItsChannelPlaysAndNoOther) {
    if constexpr (!TypeParam::kObservesState) {
        GTEST_SKIP() << TypeParam::kWhyNotObserved;
    } else {
        if (!this->harness_.CanPlay()) GTEST_SKIP() << "no audio device: a channel here plays nothing at all";
        auto audio = this->harness_.Make();
        TDMPerformance* first = audio->CreatePerformance();
        TDMPerformance* second = audio->CreatePerformance();
        auto low = audio->LoadSegment(this->Tone("low.wav", 300));
        auto high = audio->LoadSegment(this->Tone("high.wav", 900));
        low->LoopForever();
        high->SetRepeats(0);
        for (TDMPerformance* channel : {first, second}) {
            ASSERT_GE(channel->DownloadSegment(*low), 0);
            ASSERT_GE(channel->DownloadSegment(*high), 0);
        }
        ASSERT_GE(first->PlaySegment(*low), 0);
        ASSERT_GE(second->PlaySegment(*low), 0);
        ASSERT_GE(first->PlaySegment(*high), 0);
        EXPECT_TRUE(this->Plays(1, "high.wav", "1 in sequence"));
        EXPECT_TRUE(this->Plays(2, "low.wav", "loop"));
        audio->StopAll();
    }
}

TYPED_TEST_P(AudioContract, StopSilencesItsChannelAndStopAllEveryOne) {
    if constexpr (!TypeParam::kObservesState) {
        GTEST_SKIP() << TypeParam::kWhyNotObserved;
    } else {
        if (!this->harness_.CanPlay()) GTEST_SKIP() << "no audio device: a channel here plays nothing at all";
        auto audio = this->harness_.Make();
        TDMPerformance* first = audio->CreatePerformance();
        TDMPerformance* second = audio->CreatePerformance();
        auto low = audio->LoadSegment(this->Tone("low.wav", 300));
        auto high = audio->LoadSegment(this->Tone("high.wav", 900));
        low->LoopForever();
        high->LoopForever();
        ASSERT_GE(first->DownloadSegment(*low), 0);
        ASSERT_GE(second->DownloadSegment(*high), 0);
        ASSERT_GE(first->PlaySegment(*low), 0);
        ASSERT_GE(second->PlaySegment(*high), 0);
        EXPECT_GE(first->Stop(), 0);
        EXPECT_TRUE(this->Plays(1, "", ""));
        EXPECT_TRUE(this->Plays(2, "high.wav", "loop"));
        EXPECT_GE(first->Stop(), 0) << "stopping a silent channel is no error";
        ASSERT_GE(first->PlaySegment(*low), 0);
        EXPECT_TRUE(this->Plays(1, "low.wav", "loop"));
        audio->StopAll();
        EXPECT_TRUE(this->Plays(1, "", ""));
        EXPECT_TRUE(this->Plays(2, "", ""));
    }
}

REGISTER_TYPED_TEST_SUITE_P(AudioContract, OnlyWavesLoadAndTheRestRaiseWithTheirName, ASegmentOfAnotherBackEndIsRefused,
                            DopplerFactorsFromNoneToTenAreTakenAndNoOthers, VolumeIsNeverRaisedAboveFull,
                            RepeatCountsPlayTheSoundOneTimeMore, APlayReplacesWhatItsChannelPlaysAndNoOther,
                            StopSilencesItsChannelAndStopAllEveryOne);

}  // namespace vtl::contract
