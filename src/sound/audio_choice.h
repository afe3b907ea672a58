#pragma once
// Which sound back end the saver plays through, decided once per start and said once
// where a person can find it. DirectMusic is the saver's own and is taken wherever it
// comes up whole (loader, a channel, its audio and its 3D path) and is not known to
// play nothing; DirectSound serves the same calls otherwise; with no audio device at
// all the saver runs silent.
#include <functional>
#include <memory>
#include <string>

#include "platform/audio.h"

namespace vtl {

enum class AudioBackendKind { DirectMusic, DirectSound, Silent };

struct AudioCandidates {
    // Makes a DirectMusic back end that has proved one whole channel, or raises.
    std::function<std::unique_ptr<TDirectAudio>()> directMusic;
    // The platform's own word that its DirectMusic plays no wave (Wine says who it is);
    // DirectMusic is then not tried at all.
    std::function<bool()> directMusicPlaysNothing;
    // Makes a DirectSound back end, or raises (no device, no DirectSound).
    std::function<std::unique_ptr<TDirectAudio>()> directSound;
    // Where the choice is said, once.
    std::function<void(const std::string&)> log;
};

struct AudioChoice {
    AudioBackendKind kind = AudioBackendKind::Silent;
    std::unique_ptr<TDirectAudio> audio;  // none when silent
    std::string reason;                   // what was logged
};

// Never raises: a back end that cannot be made is a reason, not an error.
AudioChoice ChooseAudioBackend(const AudioCandidates& candidates);

}  // namespace vtl
