#pragma once
// DirectSound 8 back end of the audio seam, for systems whose DirectMusic cannot play
// waves. Waves are read by the project's own reader (PCM 8/16-bit, mono or stereo).
#include <memory>

#include "platform/audio.h"

namespace vtl::win32 {

// Initialises COM on this thread like the DirectMusic back end (same balance, same
// error). Channels are made at CreatePerformance.
std::unique_ptr<TDirectAudio> CreateDirectSoundAudio();

// Whether a channel with a device and a listener comes up on `audio` (made by
// CreateDirectSoundAudio); the trial channel is gone again afterwards.
bool DirectSoundChannelComesUp(TDirectAudio& audio);

}  // namespace vtl::win32
