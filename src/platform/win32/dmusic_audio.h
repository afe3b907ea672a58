#pragma once
// Audio back ends of Windows. DirectMusic 8 is the saver's own: every channel is a
// performance with its own 3D audio path, and DirectMusic decodes the waves. Where
// DirectMusic cannot be made, or plays nothing (Wine's), DirectSound 8 serves the
// same calls (dsound_audio.h).
#include <cstdint>
#include <memory>

#include "platform/audio.h"
#include "sound/audio_choice.h"

namespace vtl::win32 {

// Initialises COM on this thread (single-threaded apartment) and makes the loader.
// Raises EGeneral "Cannot initialize COM library" or EDirectAudio "Cannot create
// loader object"; nothing is left behind then.
std::unique_ptr<TDirectAudio> CreateDirectMusicAudio();

// Whether a whole channel (performance, audio, 3D audio path with its 3D buffer and
// listener) can be made on `audio` (made by CreateDirectMusicAudio).
bool DirectMusicChannelComesUp(TDirectAudio& audio);

// The length of a segment loaded by a DirectMusic back end, in music time; -1 when it
// is not one or the segment does not say.
std::int32_t DirectMusicSegmentLength(TDMSegment& segment);

// Whether this is Wine, whose DirectMusic accepts every call and plays no wave.
bool RunningOnWine();

// The Windows back ends as candidates of ChooseAudioBackend, which logs its choice
// through OutputDebugString.
AudioCandidates WindowsAudioCandidates();

// What the saver plays through: DirectMusic where a whole channel comes up and it is
// not known to play nothing, else DirectSound. Raises EDirectAudio with the reason
// when neither can make a sound (no audio device): the saver then runs silent.
std::unique_ptr<TDirectAudio> CreateBestAudioBackend();

}  // namespace vtl::win32
