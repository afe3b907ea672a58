// What the two Windows back ends ask of DirectSound 3D beneath them, recorded at their
// boundary and reduced to what a listener would hear: position, velocity, pitch,
// volume, and which sound plays how often in sequence. Both must ask for the same for
// the cases in which the DirectSound back end is already heard under Wine. Wine's
// DirectMusic plays nothing, so its side is shown by its requests only; its pitch is
// the physical shift of the motion it asks for, so a wrong Doppler formula in the
// DirectSound back end cannot pass by agreeing with itself.
#include <windows.h>

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <functional>
#include <thread>

#include "audio_capture.h"
#include "audio_requests_replay.h"
#include "platform/win32/dmusic_audio.h"
#include "platform/win32/dsound_audio.h"

namespace vtl {
namespace {

using soundtest::Describe;
using soundtest::Heard;

// A scenario drives one channel through the seam and calls `check` whenever the two
// back ends must agree.
using Check = std::function<void(const char* moment)>;
using Scenario = std::function<void(TDirectAudio&, TDMPerformance&, const std::string& folder, const Check&)>;

struct Moment {
    std::string name;
    Heard heard;
};

// Runs the scenario on a back end and keeps channel 1 as its requests leave it at every check.
std::vector<Moment> Record(std::unique_ptr<TDirectAudio> audio, const Scenario& scenario, const std::string& folder) {
    std::vector<Moment> moments;
    soundtest::RequestRecorder recorder;
    TDMPerformance* channel = audio->CreatePerformance();
    scenario(*audio, *channel, folder, [&](const char* moment) { moments.push_back({moment, recorder.Channel(1)}); });
    audio.reset();
    return moments;
}

// The two agree on what is heard; the pitch within what DirectSound's whole-hertz rate
// can say of a 22050 Hz wave.
::testing::AssertionResult SameHeard(const Heard& music, const Heard& sound) {
    bool same = music.sound == sound.sound && music.plays == sound.plays && music.volume == sound.volume &&
                std::fabs(music.Pitch() - sound.Pitch()) <= 1e-4;
    for (int i = 0; i < 3; ++i)
        same = same && music.position[i] == sound.position[i] && music.velocity[i] == sound.velocity[i];
    if (same) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "MUSIC " << Describe(music) << " / SOUND " << Describe(sound);
}

template <typename Body>
void OnFreshThread(Body body) {
    std::thread thread([&] { body(); });
    thread.join();
}

TEST(BackEndRequests, DirectMusicAsksForWhatDirectSoundPlays) {
    const std::string folder = soundtest::TestFolder();
    const std::string toneFile = soundtest::WriteWave(folder, "tone.wav", soundtest::Tone(440, 0.3));
    auto playOnce = [&](float x, std::int32_t volume, std::uint32_t repeats) -> Scenario {
        return [=](TDirectAudio& audio, TDMPerformance& channel, const std::string&, const Check& check) {
            auto tone = audio.LoadSegment(toneFile);
            tone->SetRepeats(repeats);
            channel.SetVolume(volume);
            channel.SetPosition(x, 0, 0);
            channel.DownloadSegment(*tone);
            channel.PlaySegment(*tone);
            check("playing");
            channel.Stop();
            check("stopped");
        };
    };
    const Scenario helicopterPass = [&](TDirectAudio& audio, TDMPerformance& channel, const std::string&,
                                        const Check& check) {
        auto tone = audio.LoadSegment(toneFile);
        tone->LoopForever();
        channel.SetDopplerFactor(7);
        channel.SetPosition(-25, 5, 0);
        channel.SetVelocity(5, 0, 0);
        channel.DownloadSegment(*tone);
        channel.PlaySegment(*tone);
        check("coming");
        for (float x = -20; x <= 25; x += 5) {
            channel.SetPosition(x, 5, 0);
            check(x < 0 ? "approaching" : x == 0 ? "overhead" : "going");
        }
        channel.SetVelocity(-5, 0, 0);
        check("turned");
        channel.SetPosition(20, 5, 0);
        check("coming back");
    };
    struct {
        const char* name;
        Scenario scenario;
    } cases[] = {
        {"x = 0", playOnce(0, 0, 0)},         {"x = -5", playOnce(-5, 0, 0)},
        {"x = +5", playOnce(5, 0, 0)},        {"volume -700", playOnce(0, -700, 0)},
        {"volume +700", playOnce(0, 700, 0)}, {"repeats 0", playOnce(0, 0, 0)},
        {"repeats 1", playOnce(0, 0, 1)},     {"repeats 2", playOnce(0, 0, 2)},
        {"helicopter pass", helicopterPass},
    };
    if (soundtest::CapturePath().empty()) GTEST_SKIP() << "no audio device in this run";
    OnFreshThread([&] {
        for (const auto& c : cases) {
            SCOPED_TRACE(c.name);
            const auto music = Record(win32::CreateDirectMusicAudio(), c.scenario, folder);
            const auto sound = Record(win32::CreateDirectSoundAudio(), c.scenario, folder);
            ASSERT_EQ(music.size(), sound.size());
            std::printf("  %s:\n", c.name);
            for (std::size_t i = 0; i < music.size(); ++i) {
                EXPECT_EQ(music[i].name, sound[i].name);
                EXPECT_TRUE(SameHeard(music[i].heard, sound[i].heard)) << music[i].name;
                std::printf("    %s: %s\n", music[i].name.c_str(), Describe(music[i].heard).c_str());
            }
        }
    });
}

}  // namespace
}  // namespace vtl
