// The OpenAL back end without a working device. OpenAL Soft takes its configuration
// once per process, so each check runs in a process of its own (gtest re-runs this
// program for the statement) with a configuration that leaves no device, or a device
// whose output fails as soon as it is written.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <thread>

#include "openal_capture.h"
#include "platform/openal/openal_audio.h"

namespace vtl {
namespace {

// Exit codes of the child: what it found.
constexpr int kRaisedAsPromised = 0;
constexpr int kNoRaise = 1;
constexpr int kWrongRaise = 2;
constexpr int kFailureNotReported = 3;

void UseOnly(const std::string& waveFile, const char* drivers) {
    setenv("ALSOFT_CONF", altest::WriteAlsoftConfig(altest::TestFolder(), waveFile).c_str(), 1);
    setenv("ALSOFT_DRIVERS", drivers, 1);
}

int CreationOutcome() {
    try {
        openal::CreateOpenALAudio();
        return kNoRaise;
    } catch (const EDirectAudio& e) {
        return std::strcmp(e.what(), openal::kMsgNoAudioDevice) == 0 ? kRaisedAsPromised : kWrongRaise;
    } catch (...) {
        return kWrongRaise;
    }
}

class OpenALWithoutDevice : public ::testing::Test {
protected:
    void SetUp() override { GTEST_FLAG_SET(death_test_style, "threadsafe"); }
};

TEST_F(OpenALWithoutDevice, CreationRaisesWhenTheOnlyDriverCannotOpen) {
    // The wave writer with no file name refuses to open.
    EXPECT_EXIT((UseOnly("", "wave"), std::exit(CreationOutcome())), ::testing::ExitedWithCode(kRaisedAsPromised), "");
}

TEST_F(OpenALWithoutDevice, CreationRaisesWhenThereIsNoDriverAtAll) {
    EXPECT_EXIT((UseOnly("", "no-such-driver"), std::exit(CreationOutcome())),
                ::testing::ExitedWithCode(kRaisedAsPromised), "");
}

// Plays on a device whose every write fails; the device then counts as gone. Every
// call must come back, plays must report the loss, and tearing down must not crash.
int LostDeviceOutcome() {
    auto audio = openal::CreateOpenALAudio();
    TDMPerformance* channel = audio->CreatePerformance();
    const std::string folder = altest::TestFolder();
    auto tone = audio->LoadSegment(altest::WriteWave(folder, "tone.wav", altest::Tone(440, 0.2)));
    tone->LoopForever();
    channel->DownloadSegment(*tone);
    channel->PlaySegment(*tone);
    bool reported = false;
    for (int i = 0; i < 500 && !reported; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        reported = channel->PlaySegment(*tone) < 0;
    }
    channel->SetPosition(1, 2, 3);
    channel->SetVelocity(1, 0, 0);
    channel->SetDopplerFactor(7);
    channel->SetVolume(-700);
    TDMPerformance* late = audio->CreatePerformance();
    auto another = audio->LoadSegment(altest::WriteWave(folder, "another.wav", altest::Tone(880, 0.2)));
    const bool lateReported = late->PlaySegment(*another) < 0;
    audio->StopAll();
    tone.reset();
    another.reset();
    audio.reset();
    return reported && lateReported ? kRaisedAsPromised : kFailureNotReported;
}

TEST_F(OpenALWithoutDevice, ADeviceThatFailsIsReportedAndNeverCrashes) {
    EXPECT_EXIT((UseOnly("/dev/full", "wave"), std::exit(LostDeviceOutcome())),
                ::testing::ExitedWithCode(kRaisedAsPromised), "");
}

}  // namespace
}  // namespace vtl
