// What only the OpenAL back end has to answer for: several back ends on contexts of
// their own, segments kept past their back end, waves without frames, and requests
// whose sizes OpenAL would take badly. The rules every back end shares are held in
// shared/audio_contract.h (OpenAL: openal_contract_test.cpp) and, heard through OpenAL
// Soft's wave writer, in shared/audio_heard_test.cpp (audio_harness.h).
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "openal_capture.h"
#include "platform/hooks/audio_requests.h"
#include "platform/openal/openal_audio.h"

namespace vtl {
namespace {

class OpenALBackEnd : public ::testing::Test {
protected:
    void SetUp() override {
        altest::UseCaptureDevice();
        audio = openal::CreateOpenALAudio();
        folder = altest::TestFolder();
    }
    std::unique_ptr<TDMSegment> LoopedTone(double frequency, const char* name = "tone.wav") {
        auto segment = audio->LoadSegment(altest::WriteWave(folder, name, altest::Tone(frequency, 0.5)));
        segment->LoopForever();
        return segment;
    }

    std::unique_ptr<TDirectAudio> audio;
    std::string folder;
};

TEST_F(OpenALBackEnd, AWaveWithoutFramesLoadsAndPlaysAsSilence) {
    auto silent = audio->LoadSegment(altest::WriteWave(folder, "empty.wav", altest::Tone(440, 0)));
    TDMPerformance* channel = audio->CreatePerformance();
    EXPECT_GE(channel->DownloadSegment(*silent), 0);
    EXPECT_GE(channel->PlaySegment(*silent), 0);
    EXPECT_GE(channel->Stop(), 0);
}

TEST_F(OpenALBackEnd, EachBackEndKeepsToItsOwnContext) {
    // A second device writes into the same capture file; nothing is measured here.
    auto other = openal::CreateOpenALAudio();
    auto foreign = other->LoadSegment(altest::WriteWave(folder, "tone.wav", altest::Tone(440, 0.1)));
    TDMPerformance* channel = audio->CreatePerformance();
    // Each back end keeps working on its own context with the other one alive, calls
    // on the two interleaved.
    auto own = audio->LoadSegment(altest::WriteWave(folder, "own.wav", altest::Tone(440, 0.1)));
    TDMPerformance* theirs = other->CreatePerformance();
    EXPECT_GE(channel->DownloadSegment(*own), 0);
    EXPECT_GE(theirs->PlaySegment(*foreign), 0);
    EXPECT_GE(channel->PlaySegment(*own), 0);
    EXPECT_GE(theirs->SetVolume(-700), 0);
    EXPECT_GE(channel->SetPosition(1, 0, 0), 0);
    // A segment kept past its back end (against the seam's rule) still goes quietly.
    other.reset();
    EXPECT_LT(channel->PlaySegment(*foreign), 0);
    foreign.reset();
    EXPECT_GE(channel->PlaySegment(*own), 0);
}

TEST_F(OpenALBackEnd, OutOfRangeRequestsAreRefusedWithoutHarm) {
    TDMPerformance* channel = audio->CreatePerformance();
    auto tone = LoopedTone(440);
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

TEST_F(OpenALBackEnd, PlaysAreRecordedByChannelWithTheFileAndTheCopies) {
    std::vector<std::string> lines;
    SetAudioRequestSink([&lines](const std::string& line) { lines.push_back(line); });
    TDMPerformance* background = audio->CreatePerformance();
    TDMPerformance* street = audio->CreatePerformance();
    auto loop = LoopedTone(220, "background.wav");
    auto once = audio->LoadSegment(altest::WriteWave(folder, "Street2.wav", altest::Tone(440, 0.1)));
    once->SetRepeats(2);
    EXPECT_GE(background->PlaySegment(*loop), 0);
    EXPECT_GE(street->PlaySegment(*once), 0);
    EXPECT_GE(street->SetPosition(1, 0, 0), 0);
    // A play the back end refuses (another back end's segment) is not a sound started.
    auto other = openal::CreateOpenALAudio();
    auto foreign = other->LoadSegment(altest::WriteWave(folder, "Near1.wav", altest::Tone(440, 0.1)));
    EXPECT_LT(street->PlaySegment(*foreign), 0);
    SetAudioRequestSink({});
    EXPECT_EQ(lines, (std::vector<std::string>{"ch1 play background.wav loop", "ch2 play Street2.wav copies 3"}));
}

}  // namespace
}  // namespace vtl
