// The DirectMusic back end: every call runs, the COM balance holds, and the errors
// carry their messages. Wine's DirectMusic plays nothing, so nothing is listened to;
// run also with no audio device at all (HOME without an ALSA configuration).
#include <windows.h>
#include <objbase.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <thread>

#include "audio_capture.h"
#include "platform/win32/dmusic_audio.h"

namespace vtl {
namespace {

// Runs body on a thread of its own, so the thread's COM state is known.
template <typename Body>
void OnFreshThread(Body body) {
    std::thread thread([&] {
        try {
            body();
        } catch (const std::exception& e) {
            ADD_FAILURE() << "raised: " << e.what();
        }
    });
    thread.join();
}

// Whether COM is initialised on this thread (probing leaves the state as it was).
bool ComIsUp() {
    const HRESULT hr = CoInitialize(nullptr);
    if (SUCCEEDED(hr)) CoUninitialize();
    return hr == S_FALSE;
}

TEST(DirectMusicBackEnd, EveryCallRunsOnFourChannels) {
    OnFreshThread([] {
        const std::string folder = soundtest::TestFolder();
        const std::string wave = soundtest::WriteWave(folder, "loop.wav", soundtest::Tone(440, 0.2));
        auto audio = win32::CreateDirectMusicAudio();
        std::printf("DirectMusic channel comes up whole: %s\n",
                    win32::DirectMusicChannelComesUp(*audio) ? "yes" : "no");
        TDMPerformance* channels[4];
        for (auto& channel : channels) channel = audio->CreatePerformance();
        auto loop = audio->LoadSegment(wave);
        auto once = audio->LoadSegment(wave);
        loop->LoopForever();
        once->SetRepeats(0);
        once->SetRepeats(2);
        for (TDMPerformance* channel : channels) {
            channel->DownloadSegment(*loop);
            channel->SetVolume(-700);
            channel->SetVolume(700);
            channel->SetDopplerFactor(7);
            channel->SetPosition(-25, 1, 0);
            channel->SetVelocity(5, 0, 0);
            channel->PlaySegment(*loop);
            channel->DownloadSegment(*once);
            channel->PlaySegment(*once);
        }
        Sleep(100);
        channels[0]->Stop();
        audio->StopAll();
        once.reset();
        loop.reset();
        audio.reset();
        EXPECT_FALSE(ComIsUp());
    });
}

TEST(DirectMusicBackEnd, ComIsGivenBackOnlyWhenThisObjectInitialisedIt) {
    OnFreshThread([] {
        auto audio = win32::CreateDirectMusicAudio();
        EXPECT_TRUE(ComIsUp());
        audio.reset();
        EXPECT_FALSE(ComIsUp());
    });
    OnFreshThread([] {
        ASSERT_EQ(CoInitialize(nullptr), S_OK);
        auto audio = win32::CreateDirectMusicAudio();
        audio.reset();
        EXPECT_TRUE(ComIsUp());
        CoUninitialize();
        EXPECT_FALSE(ComIsUp());
    });
}

TEST(DirectMusicBackEnd, AComLibraryInAnotherApartmentIsRefused) {
    OnFreshThread([] {
        ASSERT_EQ(CoInitializeEx(nullptr, COINIT_MULTITHREADED), S_OK);
        try {
            win32::CreateDirectMusicAudio();
            ADD_FAILURE() << "no error";
        } catch (const EGeneral& e) {
            EXPECT_STREQ(e.what(), "Cannot initialize COM library");
            EXPECT_STREQ(e.TypeName(), "Exception");
        }
        CoUninitialize();
    });
}

// Files that load nowhere are held in shared/audio_contract.h; this one only here.
TEST(DirectMusicBackEnd, ANameTooLongForTheLoaderRaisesWithIt) {
    OnFreshThread([] {
        auto audio = win32::CreateDirectMusicAudio();
        const std::string longName = soundtest::TestFolder() + "\\" + std::string(260, 'a') + ".wav";
        try {
            audio->LoadSegment(longName);
            ADD_FAILURE() << longName;
        } catch (const EDirectAudio& e) {
            EXPECT_EQ(e.what(), "Cannot create segment object from file " + longName);
        }
    });
}

TEST(DirectMusicBackEnd, TheBestBackEndPlaysWaves) {
    OnFreshThread([] {
        if (soundtest::CapturePath().empty()) {
            // No device: nothing to play through, said by a raise the saver swallows.
            EXPECT_THROW(win32::CreateBestAudioBackend(), EDirectAudio);
            EXPECT_FALSE(ComIsUp());
            return;
        }
        auto audio = win32::CreateBestAudioBackend();
        ASSERT_TRUE(audio);
        const std::string folder = soundtest::TestFolder();
        TDMPerformance* channel = audio->CreatePerformance();
        auto tone = audio->LoadSegment(soundtest::WriteWave(folder, "tone.wav", soundtest::Tone(440, 0.3)));
        tone->LoopForever();
        const std::uint64_t mark = soundtest::CaptureMark();
        channel->DownloadSegment(*tone);
        channel->PlaySegment(*tone);
        Sleep(600);
        audio->StopAll();
        Sleep(150);
        if (!soundtest::CapturePath().empty()) {
            EXPECT_GT(soundtest::ReadCapture(mark).SoundingFrames(), 1000u);
        }
        tone.reset();
        audio.reset();
        EXPECT_FALSE(ComIsUp());
    });
}

}  // namespace
}  // namespace vtl

namespace vtl {
namespace {

TEST(DirectMusicBackEnd, AWaveSegmentLastsAsLongAsItsWave) {
    OnFreshThread([] {
        const std::string folder = soundtest::TestFolder();
        auto audio = win32::CreateDirectMusicAudio();
        struct {
            const char* name;
            double seconds;
            std::int32_t ticks;
        } cases[] = {{"half.wav", 0.5, 768}, {"short.wav", 0.1, 154}, {"two.wav", 2.0, 3072}};
        for (const auto& c : cases) {
            auto segment = audio->LoadSegment(soundtest::WriteWave(folder, c.name, soundtest::Tone(440, c.seconds)));
            EXPECT_EQ(win32::DirectMusicSegmentLength(*segment), c.ticks) << c.name;
        }
    });
}

TEST(AudioChoiceOnWindows, WineIsKnownAndGetsDirectSound) {
    OnFreshThread([] {
        ASSERT_TRUE(win32::RunningOnWine()) << "these tests run under Wine";
        AudioChoice choice = ChooseAudioBackend(win32::WindowsAudioCandidates());
        if (soundtest::CapturePath().empty()) {
            EXPECT_EQ(choice.kind, AudioBackendKind::Silent) << choice.reason;
        } else {
            EXPECT_EQ(choice.kind, AudioBackendKind::DirectSound) << choice.reason;
            EXPECT_NE(choice.reason.find("plays no wave"), std::string::npos) << choice.reason;
        }
        choice.audio.reset();
        EXPECT_FALSE(ComIsUp());
    });
}

TEST(AudioChoiceOnWindows, WhereDirectMusicIsNotKnownSilentItIsTaken) {
    OnFreshThread([] {
        // As on Windows itself: the same candidates without the platform's marker.
        AudioCandidates candidates = win32::WindowsAudioCandidates();
        candidates.directMusicPlaysNothing = [] { return false; };
        AudioChoice choice = ChooseAudioBackend(candidates);
        if (soundtest::CapturePath().empty()) {
            EXPECT_NE(choice.kind, AudioBackendKind::DirectMusic) << "no device, yet DirectMusic: " << choice.reason;
        } else {
            EXPECT_EQ(choice.kind, AudioBackendKind::DirectMusic) << choice.reason;
            ASSERT_TRUE(choice.audio);
            // Its channels come up whole.
            EXPECT_TRUE(win32::DirectMusicChannelComesUp(*choice.audio));
        }
        choice.audio.reset();
        EXPECT_FALSE(ComIsUp());
    });
}

}  // namespace
}  // namespace vtl
