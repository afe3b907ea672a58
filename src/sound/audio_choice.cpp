#include "sound/audio_choice.h"

#include <exception>

namespace vtl {

namespace {

std::string Why(const std::exception_ptr& error) {
    try {
        std::rethrow_exception(error);
    } catch (const std::exception& e) {
        return e.what();
    } catch (...) {
        return "unknown error";
    }
}

// Runs make(); on a raise, `why` says what it raised and the result is empty.
std::unique_ptr<TDirectAudio> Attempt(const std::function<std::unique_ptr<TDirectAudio>()>& make, std::string& why) {
    if (!make) {
        why = "not available";
        return nullptr;
    }
    try {
        auto audio = make();
        if (!audio) why = "not available";
        return audio;
    } catch (...) {
        why = Why(std::current_exception());
        return nullptr;
    }
}

}  // namespace

AudioChoice ChooseAudioBackend(const AudioCandidates& candidates) {
    AudioChoice choice;
    std::string musicWhy;
    std::unique_ptr<TDirectAudio> music;
    // Where DirectMusic is known to play nothing it is not even brought up: its trial
    // channel would open the audio device for nothing.
    if (candidates.directMusicPlaysNothing && candidates.directMusicPlaysNothing())
        musicWhy = "this platform's DirectMusic plays no wave";
    else
        music = Attempt(candidates.directMusic, musicWhy);
    if (music) {
        choice.kind = AudioBackendKind::DirectMusic;
        choice.audio = std::move(music);
        choice.reason = "sound through DirectMusic";
    } else {
        std::string soundWhy;
        choice.audio = Attempt(candidates.directSound, soundWhy);
        if (choice.audio) {
            choice.kind = AudioBackendKind::DirectSound;
            choice.reason = "sound through DirectSound (DirectMusic: " + musicWhy + ")";
        } else {
            choice.kind = AudioBackendKind::Silent;
            choice.reason = "no sound (DirectMusic: " + musicWhy + "; DirectSound: " + soundWhy + ")";
        }
    }
    if (candidates.log) candidates.log(choice.reason);
    return choice;
}

}  // namespace vtl
