#include <gtest/gtest.h>

#include "sound/audio_choice.h"
#include "platform/fake/fake_audio.h"

namespace vtl {
namespace {

// Each candidate either makes a fake back end or raises with its message.
struct Candidate {
    const char* fails;  // nullptr: it comes up
};

TEST(AudioChoice, EachBranchAndWhatItSays) {
    struct Case {
        const char* name;
        Candidate music;
        bool musicPlaysNothing;
        Candidate sound;
        AudioBackendKind kind;
        const char* reason;
    } cases[] = {
        {"real Windows", {nullptr}, false, {nullptr}, AudioBackendKind::DirectMusic, "sound through DirectMusic"},
        {"DirectMusic missing",
         {"Cannot create loader object"},
         false,
         {nullptr},
         AudioBackendKind::DirectSound,
         "sound through DirectSound (DirectMusic: Cannot create loader object)"},
        {"no audio path",
         {"no audio path could be made"},
         false,
         {nullptr},
         AudioBackendKind::DirectSound,
         "sound through DirectSound (DirectMusic: no audio path could be made)"},
        {"Wine",
         {nullptr},
         true,
         {nullptr},
         AudioBackendKind::DirectSound,
         "sound through DirectSound (DirectMusic: this platform's DirectMusic plays no wave)"},
        {"no device",
         {"no audio path could be made"},
         false,
         {"no audio device"},
         AudioBackendKind::Silent,
         "no sound (DirectMusic: no audio path could be made; DirectSound: no audio device)"},
        {"Wine without a device",
         {nullptr},
         true,
         {"no audio device"},
         AudioBackendKind::Silent,
         "no sound (DirectMusic: this platform's DirectMusic plays no wave; DirectSound: no audio device)"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        FakeAudioWorld musicWorld, soundWorld;
        auto make = [](FakeAudioWorld& world, Candidate candidate) {
            return [&world, candidate]() -> std::unique_ptr<TDirectAudio> {
                if (candidate.fails) throw EDirectAudio(candidate.fails);
                return world.Factory()();
            };
        };
        std::vector<std::string> logged;
        AudioCandidates candidates;
        candidates.directMusic = make(musicWorld, c.music);
        candidates.directMusicPlaysNothing = [&] { return c.musicPlaysNothing; };
        candidates.directSound = make(soundWorld, c.sound);
        candidates.log = [&](const std::string& text) { logged.push_back(text); };

        AudioChoice choice = ChooseAudioBackend(candidates);
        EXPECT_EQ(choice.kind, c.kind);
        EXPECT_EQ(choice.reason, c.reason);
        EXPECT_EQ(logged, std::vector<std::string>{c.reason});
        EXPECT_EQ(choice.audio != nullptr, c.kind != AudioBackendKind::Silent);
        // Known to play nothing, DirectMusic is not even tried.
        if (c.musicPlaysNothing) {
            EXPECT_TRUE(musicWorld.log.empty());
        }
        // The back end not taken is gone again; the one taken is the only one alive.
        EXPECT_EQ(musicWorld.liveAudios, c.kind == AudioBackendKind::DirectMusic ? 1 : 0);
        EXPECT_EQ(soundWorld.liveAudios, c.kind == AudioBackendKind::DirectSound ? 1 : 0);
    }
}

TEST(AudioChoice, ARaiseOfAnyKindOrAMissingCandidateIsAReason) {
    AudioCandidates candidates;
    candidates.directMusic = []() -> std::unique_ptr<TDirectAudio> { throw 42; };
    AudioChoice choice = ChooseAudioBackend(candidates);
    EXPECT_EQ(choice.kind, AudioBackendKind::Silent);
    EXPECT_EQ(choice.reason, "no sound (DirectMusic: unknown error; DirectSound: not available)");
}

}  // namespace
}  // namespace vtl
