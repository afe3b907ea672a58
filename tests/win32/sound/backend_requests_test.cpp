// What the two Windows back ends ask of DirectSound 3D beneath them, recorded at their
// boundary and reduced to what a listener would hear: position, velocity, pitch,
// volume, and which sound plays how often in sequence. Both must ask for the same for
// the cases in which the DirectSound back end is already heard under Wine. Wine's
// DirectMusic plays nothing, so its side is shown by its requests only.
#include <windows.h>

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <functional>
#include <map>
#include <sstream>
#include <thread>

#include "audio_capture.h"
#include "sound/audio_doppler.h"
#include "platform/hooks/audio_requests.h"
#include "platform/win32/dmusic_audio.h"
#include "platform/win32/dsound_audio.h"

namespace vtl {
namespace {

// One channel as its requests leave it.
struct Heard {
    float position[3] = {0, 0, 0};
    float velocity[3] = {0, 0, 0};
    float doppler = 1;        // DirectMusic: the listener's factor, applied by DirectSound 3D
    double frequency = -1;    // DirectSound: the voice's rate over its wave's rate
    long volume = 0;
    std::string sound;        // empty: silent
    std::string plays;        // "N in sequence", "loop", or how it would really go

    double Pitch() const { return frequency >= 0 ? frequency : DopplerPitchRatio(position, velocity, doppler); }
};

// Replays request lines (audio_requests.h) into each channel's state.
std::map<int, Heard> Replay(const std::vector<std::string>& lines) {
    std::map<int, Heard> channels;
    for (const auto& line : lines) {
        std::istringstream in(line);
        std::string ch, what;
        in >> ch >> what;
        Heard& h = channels[std::stoi(ch.substr(2))];
        if (what == "position") {
            in >> h.position[0] >> h.position[1] >> h.position[2];
        } else if (what == "velocity") {
            in >> h.velocity[0] >> h.velocity[1] >> h.velocity[2];
        } else if (what == "doppler") {
            in >> h.doppler;
        } else if (what == "frequency") {
            double hz = 0, rate = 1;
            std::string word;
            in >> hz >> word >> rate;
            h.frequency = hz / rate;
        } else if (what == "volume") {
            in >> h.volume;
        } else if (what == "stop") {
            h.sound.clear(), h.plays.clear();
        } else if (what == "play") {
            std::string word;
            in >> h.sound >> word;
            if (word == "loop") {
                h.plays = "loop";
            } else if (word == "copies") {
                unsigned copies = 0;
                in >> copies;
                h.plays = std::to_string(copies) + " in sequence";
            } else {  // DirectMusic: "repeats R length L wave W"
                unsigned long repeats = 0;
                long length = 0, wave = 0;
                std::string l, w;
                in >> repeats >> l >> length >> w >> wave;
                if (repeats == 0xFFFFFFFFul)
                    h.plays = "loop";
                else if (wave > 0 && length == wave)
                    h.plays = std::to_string(repeats + 1) + " in sequence";
                else
                    h.plays = std::to_string(repeats + 1) + " starts " + std::to_string(length) + " ticks apart";
            }
        }
    }
    return channels;
}

std::string Describe(const Heard& h) {
    char text[256];
    std::snprintf(text, sizeof text, "at (%g %g %g) moving (%g %g %g) pitch %.3f volume %ld: %s %s", h.position[0],
                  h.position[1], h.position[2], h.velocity[0], h.velocity[1], h.velocity[2], h.Pitch(), h.volume,
                  h.sound.empty() ? "silent" : h.sound.c_str(), h.plays.c_str());
    return text;
}

// A scenario drives one channel through the seam and calls `check` whenever the two
// back ends must agree.
using Check = std::function<void(const char* moment)>;
using Scenario = std::function<void(TDirectAudio&, TDMPerformance&, const std::string& folder, const Check&)>;

// Runs the scenario on a back end and keeps the state at every check.
std::vector<std::string> Record(std::unique_ptr<TDirectAudio> audio, const Scenario& scenario, const std::string& folder) {
    std::vector<std::string> lines, states;
    SetAudioRequestSink([&](const std::string& line) { lines.push_back(line); });
    TDMPerformance* channel = audio->CreatePerformance();
    scenario(*audio, *channel, folder, [&](const char* moment) {
        states.push_back(std::string(moment) + ": " + Describe(Replay(lines)[1]));
    });
    SetAudioRequestSink({});
    audio.reset();
    return states;
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
    struct { const char* name; Scenario scenario; } cases[] = {
        {"x = 0", playOnce(0, 0, 0)},        {"x = -5", playOnce(-5, 0, 0)},     {"x = +5", playOnce(5, 0, 0)},
        {"volume -700", playOnce(0, -700, 0)}, {"volume +700", playOnce(0, 700, 0)},
        {"repeats 0", playOnce(0, 0, 0)},     {"repeats 1", playOnce(0, 0, 1)}, {"repeats 2", playOnce(0, 0, 2)},
        {"helicopter pass", helicopterPass},
    };
    if (soundtest::CapturePath().empty()) GTEST_SKIP() << "no audio device in this run";
    OnFreshThread([&] {
        for (const auto& c : cases) {
            SCOPED_TRACE(c.name);
            const auto music = Record(win32::CreateDirectMusicAudio(), c.scenario, folder);
            const auto sound = Record(win32::CreateDirectSoundAudio(), c.scenario, folder);
            EXPECT_EQ(music, sound);
            std::printf("  %s:\n", c.name);
            for (std::size_t i = 0; i < music.size() && i < sound.size(); ++i)
                std::printf("    %s\n", music[i] == sound[i] ? music[i].c_str()
                                                              : ("MUSIC " + music[i] + " / SOUND " + sound[i]).c_str());
        }
    });
}

}  // namespace
}  // namespace vtl
