#pragma once
// The audio seam on OpenAL Soft: one source per channel (TDMPerformance), with its
// own gain, position, velocity and Doppler factor, and a listener at the origin at
// rest; waves read by the project's own reader and handed to OpenAL as buffers.
// Left out: anything DirectMusic offers that the sound system does not use.
#include <memory>

#include "platform/audio.h"

namespace vtl::openal {

// Why there is no sound, in this system's own terms: the person reading it has no
// DirectMusic to miss.
inline constexpr const char* kMsgNoAudioDevice = "no audio output device could be opened through OpenAL";
inline constexpr const char* kMsgNoAudioContext = "the audio device refused an OpenAL context";

// Opens the default output device. Raises EDirectAudio kMsgNoAudioDevice when there is
// no device, kMsgNoAudioContext when no context can be made on it (the saver then
// runs silent).
std::unique_ptr<TDirectAudio> CreateOpenALAudio();

}  // namespace vtl::openal
