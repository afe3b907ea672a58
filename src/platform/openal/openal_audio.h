#pragma once
// The audio seam on OpenAL Soft: one source per channel (TDMPerformance), with its
// own gain, position, velocity and Doppler factor, and a listener at the origin at
// rest; waves read by the project's own reader and handed to OpenAL as buffers.
// Left out: anything DirectMusic offers that the sound system does not use.
#include <memory>

#include "platform/audio.h"

namespace vtl::openal {

// Opens the default output device. Raises EDirectAudio kMsgCannotCreateLoader when
// there is no device or no context can be made on it (the saver then runs silent).
std::unique_ptr<TDirectAudio> CreateOpenALAudio();

}  // namespace vtl::openal
