#pragma once
// Audio back ends of Windows. DirectMusic 8 is the saver's own: every channel is a
// performance with its own 3D audio path, and DirectMusic decodes the waves. Where
// DirectMusic cannot play waves (Wine's loads a wave as a segment of no length and
// plays nothing), DirectSound 8 serves the same calls (dsound_audio.h).
#include <memory>

#include "platform/audio.h"

namespace vtl {

// Initialises COM on this thread (single-threaded apartment) and makes the loader.
// Raises EGeneral "Cannot initialize COM library" or EDirectAudio "Cannot create
// loader object"; nothing is left behind then.
std::unique_ptr<TDirectAudio> CreateDirectMusicAudio();

// Whether audio (made by CreateDirectMusicAudio) turns a wave into a segment that
// lasts: a short silent wave is loaded from memory and asked for its length.
bool DirectMusicPlaysWaves(TDirectAudio& audio);

// What the saver plays through: DirectMusic where it plays waves, else DirectSound.
// Raises what the chosen back end's creation raises.
std::unique_ptr<TDirectAudio> CreateBestAudioBackend();

}  // namespace vtl
